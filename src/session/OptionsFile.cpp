#include "session/OptionsFile.h"

#include "session/AtomicFile.h"
#include "shared/Cp932.h"
#include "shared/basKovaData.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace OptionsFile {

namespace {

constexpr int RowsLength = 4;
constexpr int ReservedLength = RecordLength - PathOffset - PathLength;

OptionsRecord Decode(const QByteArray& bytes)
{
    OptionsRecord record;
    if (bytes.size() >= RowsLength)
        record.maxDisplayRows = qFromLittleEndian<qint32>(bytes.constData());

    QString path = basKovaData::FromCp932(bytes.mid(PathOffset, PathLength));
    path.replace(QChar(u'\0'), QLatin1Char(' '));
    // Fewer than PathLength bytes (a short file, double-byte characters) give a
    // shorter text; the record keeps the path at its full width.
    record.sqlPlusPath = basKovaData::FixedText(path, PathLength);
    return record;
}

}  // namespace

QString FileName()
{
    return basKovaData::AppDirectory + QStringLiteral("KovaOpt.dat");
}

std::optional<OptionsRecord> Read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Decode(QByteArray());
    return Decode(file.read(RecordLength));
}

QByteArray Encode(const OptionsRecord& record)
{
    QByteArray bytes(RowsLength, '\0');
    qToLittleEndian<qint32>(record.maxDisplayRows, bytes.data());

    QByteArray pathBytes =
        basKovaData::ToCp932(basKovaData::LeftBytes(record.sqlPlusPath, PathLength));
    pathBytes.truncate(PathLength);
    pathBytes.append(PathLength - pathBytes.size(), ' ');
    bytes += pathBytes;

    bytes.append(ReservedLength, '\0');
    return bytes;
}

bool Write(const QString& path, const OptionsRecord& record, QString* error)
{
    return basKovaData::WriteFileAtomically(
        path, Encode(record),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
            | QFileDevice::ReadOther,
        error);
}

}  // namespace OptionsFile
