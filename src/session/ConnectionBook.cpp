#include "session/ConnectionBook.h"

#include "shared/basKovaData.h"

namespace {

constexpr int NameLength = ConnectionFile::FieldLength;
constexpr int ListServiceWidth = 10;

}  // namespace

ConnectionBook ConnectionBook::Load(const QString& path)
{
    ConnectionBook book;
    const std::optional<QList<ConnectionRecord>> records = ConnectionFile::Read(path);
    book.m_fileExisted = records.has_value();
    if (records) {
        for (const ConnectionRecord& record : *records)
            book.m_records[static_cast<std::size_t>(book.m_count++)] = record;
    }
    return book;
}

ConnectionRecord ConnectionBook::record(int index) const
{
    if (index < 1 || index > ConnectionFile::MaxRecords)
        return {};
    return m_records[static_cast<std::size_t>(index - 1)];
}

QStringList ConnectionBook::listLines() const
{
    QStringList lines;
    for (int index = 2; index <= m_count; ++index) {
        const ConnectionRecord& saved = m_records[static_cast<std::size_t>(index - 1)];
        const QString service = ConnectionFile::TrimField(saved.service);
        lines.append(basKovaData::FixedText(service, ListServiceWidth) + QStringLiteral("  ")
                     + ConnectionFile::TrimField(saved.user));
    }
    return lines;
}

ConnectionRecord ConnectionBook::listRecord(int listPosition) const
{
    const int index = listPosition + 2;
    if (listPosition < 0 || index > m_count)
        return {};
    return record(index);
}

void ConnectionBook::setLogin(const QString& service, const QString& user, const QString& password)
{
    m_records[0] = ConnectionRecord{service.left(NameLength), user.left(NameLength),
                                    password.left(NameLength)};
}

QString ConnectionBook::connectText() const
{
    return ConnectionFile::TrimField(m_records[0].user) + QLatin1Char('/')
           + ConnectionFile::TrimField(m_records[0].password);
}

QString ConnectionBook::sqlPlusLogin() const
{
    return connectText() + QLatin1Char('@') + ConnectionFile::TrimField(m_records[0].service);
}

ConnectionBook::AddResult ConnectionBook::addLoginToList()
{
    const QString service = ConnectionFile::TrimField(m_records[0].service);
    const QString user = ConnectionFile::TrimField(m_records[0].user);
    for (int index = 2; index <= m_count; ++index) {
        const ConnectionRecord& saved = m_records[static_cast<std::size_t>(index - 1)];
        if (ConnectionFile::TrimField(saved.service) == service
            && ConnectionFile::TrimField(saved.user) == user)
            return AddResult::AlreadySaved;
    }
    const int newIndex = (m_count == 0 ? 1 : m_count) + 1;
    if (newIndex > ConnectionFile::MaxRecords)
        return AddResult::ListFull;
    m_records[static_cast<std::size_t>(newIndex - 1)] = m_records[0];
    m_count = static_cast<qint16>(newIndex);
    return AddResult::Added;
}

bool ConnectionBook::save(const QString& path, QString* error) const
{
    const QList<ConnectionRecord> records(m_records.begin(), m_records.begin() + m_count);
    return ConnectionFile::Write(path, records, error);
}
