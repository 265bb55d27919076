#include "shared/Cp932.h"

#include <QSysInfo>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace basKovaData {

namespace {

// QString keeps UTF-16 in the machine's byte order.
constexpr const char* Utf16Name =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
constexpr const char* Cp932Name = "CP932";
constexpr int PaddingBlanks = 255;

// One converter per direction and thread, opened on first use and closed when
// the thread ends.
class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const
    {
        return m_handle != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));
    }
    iconv_t handle()
    {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return m_handle;
    }

private:
    iconv_t m_handle;
};

Converter& ToCp932Converter()
{
    thread_local Converter converter(Cp932Name, Utf16Name);
    return converter;
}

Converter& FromCp932Converter()
{
    thread_local Converter converter(Utf16Name, Cp932Name);
    return converter;
}

bool IsAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Result of one iconv pass over part of the input.
struct Step {
    size_t consumed = 0;  // input bytes converted
    int error = 0;        // errno of the stop, 0 when all input was converted
};

// Converts as much of `in` as possible, appending to `out`.
Step Convert(iconv_t cd, const char* in, size_t inSize, QByteArray& out)
{
    Step step;
    char* input = const_cast<char*>(in);  // iconv does not write through it
    size_t inLeft = inSize;
    char buffer[1024];
    while (inLeft > 0) {
        char* output = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &input, &inLeft, &output, &outLeft);
        out.append(buffer, static_cast<qsizetype>(output - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            step.error = errno;
            break;
        }
    }
    step.consumed = inSize - inLeft;
    return step;
}

}  // namespace

QByteArray ToCp932(const QString& text)
{
    if (IsAscii(text))
        return text.toLatin1();
    Converter& converter = ToCp932Converter();
    if (!converter.valid())
        return QByteArray(text.size(), '?');

    const char* data = reinterpret_cast<const char*>(text.utf16());
    const size_t total = static_cast<size_t>(text.size()) * sizeof(char16_t);
    QByteArray result;
    result.reserve(text.size() * 2);
    iconv_t cd = converter.handle();
    size_t position = 0;
    while (position < total) {
        const Step step = Convert(cd, data + position, total - position, result);
        position += step.consumed;
        if (step.error == 0)
            break;
        // A character without a code: one "?" for the whole character, a
        // surrogate pair included. EINVAL is a high surrogate at the very end.
        result.append('?');
        const qsizetype unit = static_cast<qsizetype>(position / sizeof(char16_t));
        const bool pair = unit + 1 < text.size() && text.at(unit).isHighSurrogate()
            && text.at(unit + 1).isLowSurrogate();
        position += (pair ? 2 : 1) * sizeof(char16_t);
        cd = converter.handle();
    }
    return result;
}

QString FromCp932(const QByteArray& bytes)
{
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    Converter& converter = FromCp932Converter();
    if (!converter.valid())
        return QString(bytes.size(), QChar::ReplacementCharacter);

    const size_t total = static_cast<size_t>(bytes.size());
    QByteArray utf16;
    utf16.reserve(bytes.size() * 2);
    iconv_t cd = converter.handle();
    size_t position = 0;
    const auto appendUnit = [&utf16](char16_t unit) {
        utf16.append(reinterpret_cast<const char*>(&unit), sizeof unit);
    };
    while (position < total) {
        const Step step = Convert(cd, bytes.constData() + position, total - position, utf16);
        position += step.consumed;
        if (step.error == 0)
            break;
        if (step.error == EINVAL) {
            // Only the lead byte of a double-byte character is left.
            appendUnit(u'\0');
            break;
        }
        appendUnit(QChar::ReplacementCharacter);
        ++position;
        cd = converter.handle();
    }
    QString result(utf16.size() / static_cast<qsizetype>(sizeof(char16_t)), Qt::Uninitialized);
    std::memcpy(result.data(), utf16.constData(),
                static_cast<size_t>(result.size()) * sizeof(char16_t));
    return result;
}

QString LeftBytes(const QString& text, int n)
{
    const QByteArray bytes = ToCp932(text) + QByteArray(PaddingBlanks, ' ');
    QString result = FromCp932(bytes.left(std::max(n, 0)));
    if (result.endsWith(QChar(u'\0')))
        result.back() = QLatin1Char(' ');
    return result;
}

QString MidBytes(const QString& text, int start, int n)
{
    const QByteArray bytes = ToCp932(text) + QByteArray(PaddingBlanks, ' ');
    QString result = FromCp932(bytes.mid(std::max(start, 1) - 1, std::max(n, 0)));
    if (result.endsWith(QChar(u'\0')))
        result.back() = QLatin1Char(' ');
    return result;
}

}  // namespace basKovaData
