// menu-doctor run as support staff run it: its exit status and what it printed.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <gtest/gtest.h>

namespace menu::test {

struct DoctorRun {
    int status = -1;
    QString out;
    QString err;
};

inline DoctorRun
runDoctor(const QStringList &args,
          const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(MENU_DOCTOR_PATH), args);
    EXPECT_TRUE(process.waitForFinished(30000)) << "menu-doctor " << args.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace menu::test
