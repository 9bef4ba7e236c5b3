#pragma once

#include <string>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// The real VCF files that Debian packages ship as test data (scripts/fetch-corpus.sh), and the
// bcftools runs that tests compare varkit with.

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end; standard input comes from the file when one is named.
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QString& standardInputFile = QString()) {
    QProcess process;
    if (!standardInputFile.isEmpty())
        process.setStandardInputFile(standardInputFile);
    process.start(program, arguments);
    process.waitForFinished(60000);
    ProgramRun result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline bool hasBcftools() {
    return !QStandardPaths::findExecutable(QStringLiteral("bcftools")).isEmpty();
}

inline ProgramRun bcftoolsQuery(const QString& path, const QString& format) {
    return runProgram(QStringLiteral("bcftools"),
                      {QStringLiteral("query"), QStringLiteral("-f"), format, path});
}

inline QString buildFolder() {
    return QFileInfo(QStringLiteral(VARKIT_BINARY)).absolutePath();
}

// Fetches the corpus when it is not there yet; the VCF files found, sorted.
inline QStringList corpusFiles(QString* fetchError) {
    const QString script = QStringLiteral(VARKIT_EXAMPLES "/../scripts/fetch-corpus.sh");
    const ProgramRun fetch = runProgram(QStringLiteral("bash"), {script, buildFolder()});
    if (fetch.exitCode != 0)
        *fetchError = QString::fromUtf8(fetch.err.trimmed());
    QStringList files;
    const QString corpus = buildFolder() + QStringLiteral("/corpus");
    QDirIterator it(corpus, {QStringLiteral("*.vcf"), QStringLiteral("*.vcf.gz")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QLatin1String("/.debs/")))
            files.append(path);
    }
    files.sort();
    return files;
}

// Why a corpus test has no files to work on.
inline std::string noCorpusReason(const QString& fetchError) {
    return "No VCF corpus under " + buildFolder().toStdString() +
           "/corpus and scripts/fetch-corpus.sh could not fetch it: " + fetchError.toStdString();
}

// Positions are 32-bit, htslib's 64-bit: past 2^31 - 1 a clear error is the answer.
inline bool beyond32BitPositions(const QString& error) {
    return error.contains(QLatin1String("is beyond the largest position"));
}
