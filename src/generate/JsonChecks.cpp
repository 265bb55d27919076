#include "generate/JsonChecks.h"

#include <QStringList>

#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

namespace generate {

RepeatedKey FindRepeatedKey(const QByteArray& json)
{
    struct Frame {
        bool object = false;
        bool expectKey = false;
        QString lastKey;
        QString column;
        QStringList keys;
        QString repeated;
    };
    std::vector<Frame> frames;
    const qsizetype size = json.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = json[i];
        if (c == '"') {
            // The string, its escapes decoded, so that "a" and "\u0061" are one key.
            QString text;
            QByteArray plain;
            for (++i; i < size && json[i] != '"'; ++i) {
                if (json[i] != '\\') {
                    plain += json[i];
                    continue;
                }
                text += QString::fromUtf8(plain);
                plain.clear();
                if (++i >= size)
                    break;
                const char e = json[i];
                if (e == 'u') {
                    const bool whole = i + 4 < size;
                    const ushort unit = whole ? json.mid(i + 1, 4).toUShort(nullptr, 16) : 0;
                    text += QChar(unit);
                    i += whole ? 4 : 0;
                } else {
                    const char* const from = "bfnrt";
                    const char* const to = "\b\f\n\r\t";
                    const char* const at = std::strchr(from, e);
                    text += QLatin1Char(e != 0 && at ? to[at - from] : e);
                }
            }
            text += QString::fromUtf8(plain);
            if (frames.empty() || !frames.back().object)
                continue;
            Frame& frame = frames.back();
            if (frame.expectKey) {
                if (frame.keys.contains(text) && frame.repeated.isEmpty())
                    frame.repeated = text;
                frame.keys << text;
                frame.lastKey = text;
                frame.expectKey = false;
            } else if (frame.lastKey == u"column"_s && frame.column.isEmpty()) {
                frame.column = text.trimmed();
            }
        } else if (c == '{' || c == '[') {
            frames.push_back(Frame{c == '{', c == '{', {}, {}, {}, {}});
        } else if (c == ',' && !frames.empty()) {
            frames.back().expectKey = frames.back().object;
        } else if ((c == '}' || c == ']') && !frames.empty()) {
            if (!frames.back().repeated.isEmpty()) {
                RepeatedKey found{frames.back().repeated, {}};
                for (auto frame = frames.rbegin(); frame != frames.rend() && found.column.isEmpty(); ++frame)
                    found.column = frame->column;
                return found;
            }
            frames.pop_back();
        }
    }
    return {};
}

}  // namespace generate
