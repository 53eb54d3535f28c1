#pragma once

// From its making until restore() (or its end), standard output, and standard error if asked, go
// nowhere, for this process and every process it starts: the scripts' own messages would drown the figures.
class QuietOutput
{
public:
    enum Streams { OutputOnly, OutputAndErrors };

    explicit QuietOutput(Streams streams = OutputOnly);
    ~QuietOutput() { restore(); }
    QuietOutput(const QuietOutput &) = delete;
    QuietOutput &operator=(const QuietOutput &) = delete;

    // Gives the streams back; doing it twice does nothing.
    void restore();

private:
    int m_devNull = -1;
    int m_savedOut = -1;
    int m_savedErr = -1;
};
