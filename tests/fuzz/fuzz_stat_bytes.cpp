// Oracle's byte forms of statistics' smallest and largest values: any bytes,
// read as hexadecimal text and as raw bytes, as NUMBER, DATE and text.
#include "FuzzCheck.h"
#include "engine/OracleStatBytes.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>

namespace {

void Forms(const QByteArray& bytes)
{
    if (const std::optional<double> value = oraclebytes::Number(bytes)) {
        FuzzExpect(std::isfinite(*value), "a NUMBER is finite");
        const bool positive = (static_cast<unsigned char>(bytes[0]) & 0x80) != 0;
        FuzzExpect(*value == 0 || (*value > 0) == positive, "a NUMBER's sign is its exponent byte's");
    }
    if (const std::optional<QDateTime> date = oraclebytes::Date(bytes))
        FuzzExpect(date->isValid() && date->date().year() >= 1, "a DATE is a valid date of our era");
    (void)oraclebytes::Text(bytes, true);
    (void)oraclebytes::Text(bytes, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Forms(bytes);
    const QString hex = QString::fromLatin1(bytes);
    if (const std::optional<QByteArray> read = oraclebytes::FromHex(hex)) {
        FuzzExpect(read->size() * 2 == hex.size(), "two hexadecimal digits a byte");
        Forms(*read);
    }
    return 0;
}
