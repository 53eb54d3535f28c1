#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The field stream read straight from Windows-1252 bytes. The separators (comma, quote, space, CR,
// LF) are single ASCII bytes in that code page, so the fields come out exactly as the shared
// FieldReader gives them, only without decoding a whole export into text first: a field is a view
// into the bytes, which must outlive the scanner.
class FieldScanner
{
public:
    explicit FieldScanner(QByteArrayView bytes = {})
        : m_bytes(bytes)
    {
    }

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    // The next field; empty once the end is reached.
    QByteArrayView field();

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};
