#pragma once
// Draws for runs with a seed. Each column draws from a stream of its own,
// keyed by the seed, the table and the column's name; a draw depends only on
// that key, the row's number and the draw's place within the row, so a column
// gives the same values whatever else the table holds, and any row can be made
// without making the rows before it.
#include <QString>

#include <cstdint>

namespace basKovaData {

// The key of one column's stream.
std::uint64_t StreamKey(std::uint64_t seed, const QString& table, const QString& column);

// The key of a stream the columns of a table share within a row, such as the
// dictionaries' person and place; `part` tells the shared streams apart. No
// column's stream has the same key.
std::uint64_t SharedStreamKey(std::uint64_t seed, const QString& table, int part);

// Draw `index` of row `row` in the stream `key`: a double in [0, 1) with 53
// random bits.
double SeededDraw(std::uint64_t key, std::uint64_t row, std::uint32_t index);

// A keyed one-to-one mapping of 0 .. count-1 onto itself: the k-th value of a
// column that never repeats is At(k). A balanced Feistel network over the
// smallest power of four that holds `count`, walking the cycle back into range.
class KeyedPermutation {
public:
    KeyedPermutation(std::uint64_t count, std::uint64_t key);
    std::uint64_t count() const { return m_count; }
    std::uint64_t At(std::uint64_t k) const;

private:
    std::uint64_t Round(std::uint64_t half, int round) const;
    std::uint64_t m_count;
    std::uint64_t m_key;
    int m_halfBits = 1;
    std::uint64_t m_halfMask = 1;
};

}  // namespace basKovaData
