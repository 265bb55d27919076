#pragma once
// Set-up shared by the tests of the maintenance, rule and diagnostics code.
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#ifdef QT_WIDGETS_LIB
#include "controls/FlexGrid.h"
#include "support/ModalHelper.h"
#include "support/WidgetSupport.h"
#endif

namespace kovatest {

using namespace Qt::StringLiterals;

// A fresh embedded database with `statements` run on it, the program's
// connection while this lives; globals and rule table start from their defaults.
struct Connected {
    explicit Connected(const QStringList& statements)
    {
        kovatest::ResetProgramState();
        db = OpenTestDatabase(dir, statements);
        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
    }
    ~Connected()
    {
        kovatest::ReleaseSession();
    }
    OraDatabase* database() const { return db.database.get(); }

    QTemporaryDir dir;
    TestDatabase db;
};

// "NAME=K:v0,v1": rule kind K on column NAME, the values in its first slots
// as numbers and as texts; a multiple-fixed rule uses the slots not left empty,
// a pattern or an expression the whole text. "NAME~null=30", "NAME~unique" and
// "NAME~random=8,2" (the weights of the slots in use) add to the rule.
inline void SetRule(const QString& text)
{
    const QString name = text.section(u'=', 0, 0).section(u'~', 0, 0);
    const QString kind = text.section(u'=', 1).section(u':', 0, 0);
    const QStringList values = text.section(u':', 1).split(u',');
    for (basKovaData::ColumnRule& rule : basKovaData::ColumnRules) {
        if (rule.ColumnName.trimmed() != name)
            continue;
        if (const QString shape = text.section(u'=', 0, 0).section(u'~', 1); !shape.isEmpty()) {
            const QStringList numbers = text.section(u'=', 1).split(u',');
            rule.NullRate = shape == u"null"_s ? numbers.first().toInt() : rule.NullRate;
            rule.Unique = rule.Unique || shape == u"unique"_s;
            rule.RandomOrder = rule.RandomOrder || shape == u"random"_s;
            for (qsizetype i = 0; shape == u"random"_s && i < numbers.size(); ++i)
                rule.Weight[std::size_t(i)] = numbers[i].toInt();
            return;
        }
        rule.RuleKind = kind;
        rule.Pattern = kind == u"7"_s ? text.section(u':', 1) : QString();
        rule.Expression = kind == u"8"_s ? text.section(u':', 1) : QString();
        for (qsizetype i = 0; i < values.size(); ++i) {
            rule.NumValue[std::size_t(i)] = values[i].toDouble();
            rule.TextValue[std::size_t(i)] = values[i];
            rule.MultiOn[std::size_t(i)] = kind == u"1" && !values[i].isEmpty();
        }
        return;
    }
    QFAIL(qPrintable(u"no column "_s + name));
}

// The rows of `sql` on the connection: values joined by ",", rows by "|".
inline QString Rows(const QString& sql)
{
    QStringList rows;
    for (const QStringList& row : QueryRows(*basKovaData::OraDatabase, sql))
        rows << row.join(u',');
    return rows.join(u'|');
}

// The texts of column `col` from row `from` down.
inline QStringList GridColumn(const controls::GridModel& grid, int col, int from = 0)
{
    QStringList texts;
    for (int row = from; row < grid.Rows(); ++row)
        texts << grid.TextMatrix(row, col);
    return texts;
}

// The texts of the recorded messages if each had `icon` and `title`, else the first that had not.
inline QStringList Shown(const MessageRecorder& recorder, basKovaData::MessageIcon icon, const QString& title)
{
    for (const basKovaData::MessageRequest& request : recorder.messages())
        if (request.icon != icon || request.title != title)
            return {u"wrong icon or title: "_s + request.title + u' ' + request.text};
    return recorder.texts();
}

#ifdef QT_WIDGETS_LIB
inline controls::GridModel& GridOf(const QWidget* window, const QString& name = u"Grid"_s)
{
    return *Find<controls::FlexGrid>(window, name)->gridModel();
}

// The topic the help window opens on after a click on `button`; -1 for no help window.
inline int HelpTopicShown(const QWidget* window, const QString& button)
{
    int topic = -1;
    WhenModal<QDialog>([&topic](QDialog* help) {
        if (help->objectName() == u"frmHELP")
            topic = basKovaData::HelpTopic;
    });
    Click(window, button);
    return topic;
}
#endif

}  // namespace kovatest
