#pragma once

#include "directory/dirobjectbase.h"
#include "ldapsession.h"

#include <QHash>

#include <chrono>
#include <memory>
#include <optional>

// A handle on the domain (the container), on an account or group of the domain controller, or on one
// created and not stored yet. A stored object is named by its GUID, so a handle keeps to its object
// and never reaches a later one of the same name. Reads go to the server; writes wait in the handle
// until setInfo(), which sends them in one request.
class LdapObject : public DirObjectBase
{
public:
    static DirObjectPtr container(std::shared_ptr<LdapSession> session, const QString &server);
    static DirObjectPtr found(
        std::shared_ptr<LdapSession> session, const QString &server, const LdapSession::Account &account);

    Status enumerate(const QList<DirListed> &filter, const DirVisitor &visit) override;
    Result<DirObjectPtr> create(DirKind kind, const QString &name) override;
    Status deleteObject(DirKind kind, const QString &name) override;

    Status setPassword(const QString &password) override;
    Status setInfo() override;

    Status members(const DirVisitor &visit) override;
    Status add(const QString &memberAdsPath) override;
    Status remove(const QString &memberAdsPath) override;

    using Property = DirProperty;

    // How requests name this object: its GUID, or the DN it was just created under.
    QString target() const;

    // The same writes, for a caller that sends several at once and hands each its reply: what the
    // reply then makes of the object and the message a failure gives are setInfo()'s and add()'s.
    // The add that stores this new object.
    Result<LdapWrite> newEntry();
    Status newEntryStored(const LdapWrite &entry, const LdapReply &reply);
    // The write that gives its password to an account this program made disabled, which enables it.
    Result<LdapWrite> firstPassword(const QString &password);
    Status changesStored(const LdapReply &reply);
    // The reply to adding the member of that name to this group.
    Status memberAdded(const QString &memberName, const LdapReply &reply);

protected:
    QHash<DirProperty, QVariant> &pendingValues() override { return m_pending; }
    bool isStored() const override { return m_stored; }
    Result<QVariant> storedValue(DirProperty property) override;

private:
    LdapObject(std::shared_ptr<LdapSession> session, QString server, Kind kind, QString name);

    Status needStoredGroup() const { return DirObjectBase::needStoredGroup(m_stored); }
    Result<LdapEntry> read(const QStringList &attributes);
    // An account or group a search listed (searched for listedAttributes), remembered for the bind
    // that usually follows; nothing for objects that are neither.
    std::optional<DirEntry> listed(const LdapEntry &entry);
    Status storeNew();
    Status storeChanges();
    Status passwordAllowed() const;
    Result<LdapSession::Account> memberFromPath(const QString &memberAdsPath, const QString &doing);
    QString gone() const;

    std::shared_ptr<LdapSession> m_session;
    QString m_dn;
    QByteArray m_guid;
    bool m_stored = false;
    // When the server last showed the object to be there.
    std::chrono::steady_clock::time_point m_seen;
    QHash<Property, QVariant> m_pending;
    std::optional<QString> m_password;
};
