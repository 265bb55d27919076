#include "shared/SeededDraws.h"

#include <QByteArray>

namespace basKovaData {

namespace {

// SplitMix64's finaliser: every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return x;
}

// FNV-1a over the UTF-8 bytes of a name.
std::uint64_t NameHash(std::uint64_t hash, const QString& name)
{
    const QByteArray bytes = name.toUtf8();
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    // A separator, so that ("AB", "C") and ("A", "BC") differ.
    hash ^= 0xFF;
    hash *= 0x100000001B3ULL;
    return hash;
}

}  // namespace

std::uint64_t StreamKey(std::uint64_t seed, const QString& table, const QString& column)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    hash = NameHash(hash, table);
    hash = NameHash(hash, column);
    return Mix(Mix(seed) ^ hash);
}

std::uint64_t SharedStreamKey(std::uint64_t seed, const QString& table, int part)
{
    // A column's key hashes a name after the table's; a part is no name, so
    // the two cannot meet.
    const std::uint64_t hash = NameHash(0xCBF29CE484222325ULL, table);
    return Mix(Mix(seed) ^ Mix(hash + 0x632BE59BD9B4E019ULL * (std::uint64_t(part) + 1)));
}

double SeededDraw(std::uint64_t key, std::uint64_t row, std::uint32_t index)
{
    const std::uint64_t x = Mix(key ^ Mix(row + 0x9E3779B97F4A7C15ULL)) + index * 0xD1B54A32D192ED03ULL;
    return static_cast<double>(Mix(x) >> 11) * 0x1.0p-53;
}

KeyedPermutation::KeyedPermutation(std::uint64_t count, std::uint64_t key) : m_count(count), m_key(Mix(key))
{
    while (m_halfBits < 32 && (std::uint64_t(1) << (2 * m_halfBits)) < count)
        ++m_halfBits;
    m_halfMask = (std::uint64_t(1) << m_halfBits) - 1;
}

std::uint64_t KeyedPermutation::Round(std::uint64_t half, int round) const
{
    return Mix(m_key + half * 0x9E3779B97F4A7C15ULL + std::uint64_t(round)) & m_halfMask;
}

std::uint64_t KeyedPermutation::At(std::uint64_t k) const
{
    if (m_count <= 1)
        return 0;
    std::uint64_t x = k % m_count;
    // The network maps the whole power-of-four domain onto itself; values that
    // land outside 0 .. count-1 are sent through it again until they land
    // inside, which keeps the mapping one to one on the range.
    do {
        std::uint64_t left = x >> m_halfBits;
        std::uint64_t right = x & m_halfMask;
        for (int round = 0; round < 4; ++round) {
            const std::uint64_t next = left ^ Round(right, round);
            left = right;
            right = next;
        }
        x = (left << m_halfBits) | right;
    } while (x >= m_count);
    return x;
}

}  // namespace basKovaData
