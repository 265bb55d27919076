// Project files as people write them. A project that is taken holds what
// its runs rely on: tables to fill, counts within their bounds, per-parent
// ranges with min not above max, statements that are not blank.
#include "FuzzCheck.h"
#include "generate/ProjectFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString problem;
    const std::optional<generate::Project> project = generate::ReadProject(json, &problem);
    FuzzExpect(project.has_value() == problem.isEmpty(), "a refusal says why, and only a refusal");
    if (!project)
        return 0;
    FuzzExpect(generate::IsProjectText(json), "a project is known as one");
    FuzzExpect(!project->tables.empty(), "a project fills some table");
    for (const generate::ProjectTable& table : project->tables) {
        FuzzExpect(!table.rules.isEmpty() && (!table.automatic() || !table.table.isEmpty()),
                   "every table has its rules, and automatic rules their table");
        FuzzExpect(!(table.rows && table.perParent), "a count or a parent, not both");
        FuzzExpect(!table.rows || (*table.rows >= 1 && *table.rows <= generate::MaxProjectRows), "counts in bounds");
        FuzzExpect(!table.perParent || (table.perParent->min >= 0 && table.perParent->min <= table.perParent->max
                                        && table.perParent->max <= generate::MaxProjectRows && !table.perParent->table.isEmpty()),
                   "per-parent ranges in bounds");
    }
    for (const QString& sql : project->before + project->after)
        FuzzExpect(!sql.trimmed().isEmpty() && !sql.endsWith(u';'), "statements are not blank and carry no ';'");
    FuzzExpect(!project->seed || *project->seed <= (std::uint64_t(1) << 53), "seeds in bounds");
    return 0;
}
