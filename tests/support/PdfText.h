#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The output of a helper program (pdftotext, zbarimg, unzip), waited for.
inline QString run(const QString &program, const QStringList &args, int *exitCode = nullptr,
                   const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(120000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of a PDF in drawing order, blanks folded, so wrapped captions read whole.
inline QString pdfText(const QString &file, int page = 0)
{
    QStringList args{QStringLiteral("-raw"), file, QStringLiteral("-")};
    if (page > 0)
        args = QStringList{QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page)} + args;
    return run(QStringLiteral("pdftotext"), args).simplified();
}
