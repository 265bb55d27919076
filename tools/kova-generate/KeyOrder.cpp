#include "KeyOrder.h"

#include <algorithm>
#include <functional>

namespace kovagenerate {

namespace {

// The strongly connected components of the tables (Tarjan): per table, the
// number of its component.
std::vector<std::size_t> Components(std::size_t count, const std::vector<KeyColumn>& keys)
{
    std::vector<std::vector<std::size_t>> parents(count);
    for (const KeyColumn& key : keys)
        if (key.table < count && key.parent < count && key.table != key.parent)
            parents[key.table].push_back(key.parent);
    const std::size_t none = count;
    std::vector<std::size_t> index(count, none), low(count, 0), component(count, none);
    std::vector<bool> onStack(count, false);
    std::vector<std::size_t> stack;
    std::size_t next = 0, components = 0;
    const std::function<void(std::size_t)> visit = [&](std::size_t v) {
        index[v] = low[v] = next++;
        stack.push_back(v);
        onStack[v] = true;
        for (const std::size_t w : parents[v]) {
            if (index[w] == none) {
                visit(w);
                low[v] = std::min(low[v], low[w]);
            } else if (onStack[w]) {
                low[v] = std::min(low[v], index[w]);
            }
        }
        if (low[v] != index[v])
            return;
        std::size_t w = none;
        do {
            w = stack.back();
            stack.pop_back();
            onStack[w] = false;
            component[w] = components;
        } while (w != v);
        ++components;
    };
    for (std::size_t v = 0; v < count; ++v)
        if (index[v] == none)
            visit(v);
    return component;
}

}  // namespace

KeyOrder OrderTables(std::size_t count, const std::vector<KeyColumn>& keys)
{
    KeyOrder result;
    const std::vector<std::size_t> component = Components(count, keys);
    std::vector<bool> placed(count, false);
    // Whether `table` may come now: each of its keys refers to a table placed
    // before it, or to itself, or `mayWait` lets the key refer to a later one.
    const auto ready = [&](std::size_t table, const std::function<bool(const KeyColumn&)>& mayWait) {
        return std::all_of(keys.begin(), keys.end(), [&](const KeyColumn& key) {
            return key.table != table || key.parent == table || placed[key.parent] || mayWait(key);
        });
    };
    const auto outside = [&](const KeyColumn& key) { return component[key.parent] != component[key.table]; };
    while (result.order.size() < count) {
        // The first table (in the job's order) whose parents outside its
        // cycle all come before it: its cycle, or itself, comes next.
        std::size_t first = count;
        for (std::size_t i = 0; i < count && first == count; ++i)
            if (!placed[i] && ready(i, [&](const KeyColumn& key) { return !outside(key); }))
                first = i;
        if (first == count)
            break;  // cannot happen: the components form no cycle
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < count; ++i)
            if (component[i] == component[first])
                members.push_back(i);
        // Inside the cycle: a table whose keys to later tables may be NULL,
        // else one whose keys to later tables the database can defer.
        const std::vector<std::function<bool(const KeyColumn&)>> levels{
            [](const KeyColumn& key) { return key.nullable && !key.required; },
            [](const KeyColumn& key) { return (key.nullable || key.deferrable) && !key.required; }};
        for (std::size_t left = members.size(); left > 0; --left) {
            std::size_t chosen = count;
            for (const auto& mayWait : levels) {
                for (const std::size_t i : members)
                    if (!placed[i] && ready(i, mayWait)) {
                        chosen = i;
                        break;
                    }
                if (chosen != count)
                    break;
            }
            if (chosen == count) {
                result.cycle = members;
                for (const KeyColumn& key : keys)
                    if (!outside(key) && key.table != key.parent && component[key.table] == component[first]
                        && (key.required || (!key.nullable && !key.deferrable))
                        && std::find(result.blocking.begin(), result.blocking.end(),
                                     std::pair(key.table, key.constraint)) == result.blocking.end())
                        result.blocking.emplace_back(key.table, key.constraint);
                result.order.clear();
                return result;
            }
            placed[chosen] = true;
            result.order.push_back(chosen);
        }
    }
    std::vector<std::size_t> place(count, 0);
    for (std::size_t k = 0; k < result.order.size(); ++k)
        place[result.order[k]] = k;
    result.later.assign(count, {});
    result.ahead.assign(count, {});
    for (const KeyColumn& key : keys) {
        if (key.table == key.parent || place[key.parent] < place[key.table] || key.column <= 0)
            continue;
        std::vector<int>& columns = key.nullable ? result.later[key.table] : result.ahead[key.table];
        if (std::find(columns.begin(), columns.end(), key.column) == columns.end())
            columns.push_back(key.column);
        const std::pair<std::size_t, QString> constraint(key.table, key.constraint);
        if (!key.nullable && std::find(result.deferred.begin(), result.deferred.end(), constraint) == result.deferred.end())
            result.deferred.push_back(constraint);
    }
    for (std::vector<int>& columns : result.later)
        std::sort(columns.begin(), columns.end());
    for (std::vector<int>& columns : result.ahead)
        std::sort(columns.begin(), columns.end());
    return result;
}

}  // namespace kovagenerate
