// The rule a register set's code keeps: no blank at either end, no control,
// invisible or look-alike blank character, and in Unicode's composed form
// (NFC), so that two sets never look alike in a list. The same rule is the
// server's CHECK constraint and the file's trigger.
#pragma once

#include <QString>
#include <QStringList>

namespace store {

// A character that prints as nothing, as a blank other than the plain space,
// or moves or changes the text around it: controls, format characters (zero
// width, direction marks), separators, fillers and variation selectors.
bool InvisibleCharacter(char32_t c);

// Why `code` breaks the rule, in Italian; empty when it keeps it.
QString RegisterCodeProblem(const QString& code);

// The server's CHECK of the rule on the register table's code column, and
// the constraint's name.
QString RegisterCodeCheck();
QString RegisterCodeConstraint();
// The file's triggers that refuse a new or changed code breaking the rule
// (all of it but the composed form, which the program checks).
QStringList RegisterCodeFileTriggers();
// For a copy onto the server, into the table `qualifiedTable` (schema and name,
// quoted): the CHECK dropped before the rows, and added after them, valid
// where every code keeps the rule and NOT VALID (holding for new and changed
// rows) where one stored before it does not.
QStringList DropRegisterCodeCheck(const QString& qualifiedTable);
QStringList RegisterCodeCheckAfterRows(const QString& qualifiedTable);

}  // namespace store
