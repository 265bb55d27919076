#pragma once
// A schema as Oracle's dictionary views describe it (USER_TABLES,
// USER_TAB_COLUMNS, USER_CONSTRAINTS, USER_CONS_COLUMNS, USER_SEQUENCES,
// USER_VIEWS, USER_TAB_COMMENTS, USER_COL_COMMENTS): what --copy-schema reads
// from a server and writes into a database file. Names are as the dictionary
// spells them; numbers that must stay exact are kept as their texts.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SchemaDictionary {
    struct Column {
        QString name;
        QString dataType;  // DATA_TYPE: "NUMBER", "VARCHAR2", "TIMESTAMP(6)" ...
        std::optional<int> dataLength, precision, scale, charLength;
        QString charUsed;  // CHAR_USED: "C" (characters), "B" (bytes) or empty
        bool nullable = true;
        QString defaultText;  // DATA_DEFAULT, blanks around it removed; empty for none
    };
    struct Table {
        QString name;
        QList<Column> columns;
    };
    struct Constraint {
        QString name;
        QChar type;  // P, U, R or C
        QString table;
        QStringList columns;  // by position
        QString condition;    // C: SEARCH_CONDITION
        // R: the key it refers to, its table and columns (empty when that key
        // is not the user's own), and DELETE_RULE.
        QString refConstraint;
        QString refTable;
        QStringList refColumns;
        QString deleteRule;
    };
    struct Sequence {
        QString name;
        QString minValue, maxValue, increment, lastNumber;  // exact texts
        bool cycle = false;
    };
    struct View {
        QString name;
        QString text;
    };
    struct Comment {
        QString table;
        QString column;  // empty for the comment of the table or view
        QString text;
    };

    QList<Table> tables;
    QList<Constraint> constraints;
    QList<Sequence> sequences;
    QList<View> views;
    QList<Comment> comments;

    const Table* table(const QString& name) const
    {
        for (const Table& t : tables)
            if (t.name == name)
                return &t;
        return nullptr;
    }
};
