#pragma once
// Substitution variables: DEFINE gives a name a text, and "&name" (or
// "&&name") in a statement or a PROMPT or @ line stands for that text. A "."
// right after the name ends it and is dropped ("&table._OLD"). Names are
// letters, digits, "_", "$" and "#", in any case. The replacement is made
// everywhere in the text, in quotes and comments too; an "&" that no name
// follows stays as it is.
//
// DEFINE commands:
//   DEFINE name = text   defines (text in quotes when it holds blanks at its
//                        ends; a quote is written twice inside)
//   DEFINE name          shows:  DEFINE NAME            = "text" (CHAR)
//   DEFINE               shows them all
//   UNDEFINE name ...    forgets them
#include <QChar>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class SubstitutionVariables {
public:
    struct Result {
        QString text;
        // The first variable that is not defined (the text is then not
        // replaced); empty when all were.
        QString undefined;
        // It was written "&&name": a value given for it is kept.
        bool undefinedKept = false;
        // For each line that changed, "old   n: ..." and "new   n: ..."
        // (n the line's number in the text).
        QStringList verify;
    };

    Result substitute(const QString& text, QChar prefix) const;

    void define(const QString& name, const QString& value);
    void undefine(const QString& name);
    std::optional<QString> value(const QString& name) const;

    // Runs DEFINE with the text after the word; returns what it prints, or
    // puts a message into `error`.
    QString defineCommand(const QString& arguments, QString* error);
    // Runs UNDEFINE with the text after the word; a message into `error`
    // for a word that is no name (the names before it are forgotten).
    void undefineCommand(const QString& arguments, QString* error);

    static bool isNameCharacter(QChar c);

private:
    QString described(const QString& name) const;

    QMap<QString, QString> m_values;  // by name in capitals
};
