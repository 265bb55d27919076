#pragma once
// Helpers of the tests of the main window and of its grid.
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

namespace kovatest {

#ifdef QT_WIDGETS_LIB
// A double-click as the window system delivers it: press, release, double-click, release.
inline void DoubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}
#endif

// Writes to `path` a program that writes its arguments, each followed by "|",
// to `record`; the record appears whole, once the program has run.
inline bool WriteArgumentRecorder(const QString& path, const QString& record)
{
    const QString script = QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp'\nmv '%1.tmp' '%1'\n").arg(record);
    return WriteFile(path, script.toUtf8()) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace kovatest
