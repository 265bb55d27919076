#include "session/ConnectionFile.h"

#include "session/AtomicFile.h"
#include "shared/Cp932.h"
#include "shared/basKovaData.h"

#include <QFile>
#include <QFileInfo>

namespace ConnectionFile {

namespace {

bool IsPadding(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(u'\0');
}

ConnectionRecord DecodeRecord(QByteArray bytes)
{
    if (bytes.size() < RecordLength)
        bytes.append(RecordLength - bytes.size(), ' ');
    const auto field = [&bytes](int index) {
        return TrimField(basKovaData::FromCp932(bytes.mid(index * FieldLength, FieldLength)));
    };
    return ConnectionRecord{field(0), field(1), field(2)};
}

}  // namespace

QString FileName()
{
    return basKovaData::AppDirectory + QStringLiteral("KovaData.dat");
}

QString TrimField(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsPadding(text.at(begin)))
        ++begin;
    while (end > begin && IsPadding(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<QList<ConnectionRecord>> Read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;

    QList<ConnectionRecord> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    // Nothing past the last record the program keeps is looked at.
    const QByteArray bytes = file.read(qint64{RecordLength} * MaxRecords);
    for (qsizetype start = 0; start < bytes.size(); start += RecordLength)
        records.append(DecodeRecord(bytes.mid(start, RecordLength)));
    return records;
}

QByteArray EncodeField(const QString& text)
{
    // LeftBytes turns a cut double-byte character into a blank.
    QByteArray bytes = basKovaData::ToCp932(basKovaData::LeftBytes(text, FieldLength));
    bytes.truncate(FieldLength);
    bytes.append(FieldLength - bytes.size(), ' ');
    return bytes;
}

bool Write(const QString& path, const QList<ConnectionRecord>& records, QString* error)
{
    QByteArray bytes;
    bytes.reserve(records.size() * RecordLength);
    for (const ConnectionRecord& record : records) {
        bytes += EncodeField(record.service);
        bytes += EncodeField(record.user);
        bytes += EncodeField(record.password);
    }
    return basKovaData::WriteFileAtomically(
        path, bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner, error);
}

}  // namespace ConnectionFile
