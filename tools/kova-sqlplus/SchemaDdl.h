#pragma once
// The Oracle DDL that makes a schema read from a dictionary, as texts: no
// database is touched here. Every name is quoted as the dictionary spells it.
//
// Tables come first, without their constraints, so that rows can be copied
// into them before the keys are added; then primary and unique keys, CHECK
// constraints, foreign keys, sequences, views and comments.
#include "SchemaDictionary.h"

#include <optional>

class SchemaDdl {
public:
    struct Statement {
        enum class Kind { Constraint, Sequence, View, Comment };
        Kind kind = Kind::Constraint;
        QString object;  // what it makes, for messages: "foreign key FK_A of ORDERS"
        QString sql;
        // The tables and views that must have been made for it to make sense.
        QStringList needs;
        QString view;  // the view it makes
    };

    // The part of `all` to copy: every table and view when `names` is empty,
    // else the tables and views it names (as the dictionary spells them, or
    // differing only in case). Sequences are always copied, comments with
    // what they describe. A foreign key that refers to a table left out (or
    // not the user's own) is dropped, and so is a delete rule Oracle does not
    // have, each with a line in `warnings`. None, with `error` set, when a
    // name is unknown or ambiguous.
    static std::optional<SchemaDictionary> Selected(const SchemaDictionary& all, const QStringList& names,
                                                    QStringList* warnings, QString* error);

    static QString Quote(const QString& name);

    // The column's type as Oracle's DDL writes it: VARCHAR2(20 CHAR),
    // NUMBER(10,2), INTEGER, FLOAT(126), DATE, TIMESTAMP(6) ...
    static QString ColumnType(const SchemaDictionary::Column& column);
    // CREATE TABLE with columns, defaults (unless left out) and NOT NULL.
    static QString CreateTable(const SchemaDictionary::Table& table, bool defaults = true);
    // Keys, checks, foreign keys, sequences, views and comments, in that order.
    static QList<Statement> AfterTables(const SchemaDictionary& schema);
    // The names of the tables, parents before their children (a table in a
    // cycle of foreign keys comes in the dictionary's order).
    static QStringList ParentsFirst(const SchemaDictionary& schema);

    static QString CreateSequence(const SchemaDictionary::Sequence& sequence);
    static QString ForeignKey(const SchemaDictionary::Constraint& key);
};
