#pragma once
#include <QDir>
#include <QString>

// Folder for pictures and files the tests leave for people to look at (the build's test-output).
inline QString testOutputDir()
{
    QString dir = qEnvironmentVariable("VXM_TEST_OUTPUT");
    if (dir.isEmpty()) dir = QDir::temp().filePath(QStringLiteral("vxm-test-output"));
    QDir().mkpath(dir);
    return dir;
}
