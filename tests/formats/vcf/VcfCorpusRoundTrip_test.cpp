// Every VCF of the corpus (scripts/fetch-corpus.sh) that bcftools reads, written to TSF and back to
// VCF by the varkit program: bcftools must read the copy without a complaint of its own and give the
// same values as from the original. The largest file is under 1 MB, so every file is taken.
#include "formats/text/TextTestFiles.h"
#include "formats/vcf/VcfCorpusSupport.h"
#include "support/Cli.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

namespace {

// The INFO and FORMAT keys that a header declares, as bcftools prints the header, with the Number
// and Type of each INFO key.
struct DeclaredKeys {
    QStringList info;
    QStringList format;
    QHash<QString, QString> numbers;
    QHash<QString, QString> types;
};

// bcftools query reads a tag name as letters, digits, '_' and '.', so a key with other characters
// (such as "cse-hiseq") cannot be asked for.
bool queryable(const QString& key) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_.]+$"));
    return name.match(key).hasMatch();
}

QString entry(const QString& declaration, const QString& name) {
    const QRegularExpression pattern(QStringLiteral(",%1=([^,>]*)").arg(name));
    return pattern.match(declaration).captured(1);
}

DeclaredKeys declaredKeys(const QString& path) {
    static const QRegularExpression declaration(QStringLiteral("^##(INFO|FORMAT)=<ID=([^,>]+)(.*)$"));
    DeclaredKeys keys;
    const ProgramRun header =
        runProgram(QStringLiteral("bcftools"), {QStringLiteral("view"), QStringLiteral("-h"), path});
    for (const QByteArray& line : splitLines(header.out)) {
        const QRegularExpressionMatch match = declaration.match(QString::fromUtf8(line));
        const QString key = match.captured(2);
        if (!match.hasMatch() || !queryable(key))
            continue;
        if (match.captured(1) == QLatin1String("FORMAT")) {
            keys.format.append(key);
            continue;
        }
        keys.info.append(key);
        keys.numbers.insert(key, entry(match.captured(3), QStringLiteral("Number")));
        keys.types.insert(key, entry(match.captured(3), QStringLiteral("Type")));
    }
    return keys;
}

QString keyOf(const QByteArray& infoEntry) {
    const int equals = infoEntry.indexOf('=');
    return QString::fromUtf8(equals < 0 ? infoEntry : infoEntry.left(equals));
}

// Whether varkit can keep an INFO entry as the record gives it. bcftools keeps what it is given;
// varkit keeps the values a key's declaration allows, so two entries read differently:
// - a key given without a value ("FR" or "XX=") although it is declared with one: bcftools prints
//   it as 1, like a flag, and varkit has no value to keep (an empty one is a missing one);
// - several numbers for a key declared with Number 0 or 1: varkit reads the key as one number and
//   keeps the first.
bool keepable(const QByteArray& infoEntry, const DeclaredKeys& keys) {
    const int equals = infoEntry.indexOf('=');
    const QString key = keyOf(infoEntry);
    const QString type = keys.types.value(key);
    if (equals < 0)
        return !keys.info.contains(key) || type == QLatin1String("Flag");
    const bool oneNumber =
        (type == QLatin1String("Integer") || type == QLatin1String("Float")) &&
        (keys.numbers.value(key) == QLatin1String("0") || keys.numbers.value(key) == QLatin1String("1"));
    return !oneNumber || !infoEntry.contains(',');
}

// The INFO keys of entries varkit cannot keep as given; they are not compared.
QSet<QString> keysNotKept(const QString& path, const DeclaredKeys& keys) {
    QSet<QString> found;
    for (const QByteArray& info : splitLines(bcftoolsQuery(path, QStringLiteral("%INFO\\n")).out))
        for (const QByteArray& infoEntry : info.split(';'))
            if (!keepable(infoEntry, keys))
                found.insert(keyOf(infoEntry));
    return found;
}

// The fixed columns, every INFO key and every FORMAT key of each sample.
QString queryFormat(const DeclaredKeys& keys, const QSet<QString>& leftOut) {
    QString format = QStringLiteral("%CHROM\\t%POS\\t%ID\\t%REF\\t%ALT\\t%QUAL\\t%FILTER");
    for (const QString& key : keys.info)
        if (!leftOut.contains(key))
            format += QStringLiteral("\\t%INFO/") + key;
    if (!keys.format.isEmpty()) {
        format += QLatin1Char('[');
        for (const QString& key : keys.format)
            format += QStringLiteral("\\t%") + key;
        format += QLatin1Char(']');
    }
    return format + QStringLiteral("\\n");
}

// Reports the first record and column that differ.
void expectSameLines(const QByteArray& original, const QByteArray& copy, const QString& format) {
    const QList<QByteArray> expected = splitLines(original);
    const QList<QByteArray> actual = splitLines(copy);
    EXPECT_EQ(actual.size(), expected.size()) << "records in the copy";
    for (int i = 0; i < std::min(expected.size(), actual.size()); ++i) {
        if (expected.at(i) == actual.at(i))
            continue;
        const QList<QByteArray> want = expected.at(i).split('\t');
        const QList<QByteArray> got = actual.at(i).split('\t');
        int column = 0;
        while (column < std::min(want.size(), got.size()) && want.at(column) == got.at(column))
            ++column;
        ADD_FAILURE() << "record " << i + 1 << " at " << want.value(0).constData() << ':'
                      << want.value(1).constData() << ", column " << column + 1 << " of "
                      << format.toStdString() << ": original " << want.value(column).constData() << ", copy "
                      << got.value(column).constData();
        return;
    }
}

void expectSameValues(const QString& path, const QString& copy) {
    const DeclaredKeys keys = declaredKeys(path);
    const QString format = queryFormat(keys, keysNotKept(path, keys));
    const ProgramRun expected = bcftoolsQuery(path, format);
    ASSERT_EQ(expected.exitCode, 0) << expected.err.toStdString();
    const ProgramRun actual = bcftoolsQuery(copy, format);
    ASSERT_EQ(actual.exitCode, 0) << actual.err.toStdString();
    expectSameLines(expected.out, actual.out, format);
}

// Reads the file as a stream, so that an index cannot stand in for contigs the header leaves out.
ProgramRun bcftoolsView(const QString& path) {
    return runProgram(
        QStringLiteral("bcftools"),
        {QStringLiteral("view"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-")},
        path);
}

// The copy's header is the original's, so it keeps the original's faults, and bcftools complains
// about them again: contigs left undeclared, GL or PL declared with another Number than G, tag
// names htslib finds invalid. Any other complaint is the copy's own.
void expectNoNewComplaint(const ProgramRun& original, const QString& copy) {
    const ProgramRun read = bcftoolsView(copy);
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QList<QByteArray> known = splitLines(original.err);
    for (const QByteArray& line : splitLines(read.err))
        EXPECT_TRUE(known.contains(line)) << "bcftools complains about the copy: " << line.toStdString();
}

// A position past 2^31 - 1 and a file without a record end the conversion with a clear error.
bool refusedLegitimately(const CliResult& result) {
    const QString error = QString::fromUtf8(result.err);
    return result.exitCode == 1 &&
           (beyond32BitPositions(error) || error.contains(QLatin1String("no data was provided")));
}

} // namespace

TEST(VcfCorpus, ThroughTsfAndBackBcftoolsReadsTheSameValues) {
    if (!hasBcftools())
        GTEST_SKIP() << "bcftools is not installed";
    QString fetchError;
    const QStringList files = corpusFiles(&fetchError);
    if (files.isEmpty())
        GTEST_SKIP() << noCorpusReason(fetchError);
    int accepted = 0;
    int refused = 0;
    int converted = 0;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const ProgramRun original = bcftoolsView(path);
        if (original.exitCode != 0)
            continue;
        ++accepted;
        QTemporaryDir dir;
        const QString tsf = dir.filePath(QStringLiteral("x.tsf"));
        const QString copy = dir.filePath(QStringLiteral("x.vcf"));
        const CliResult toTsf = runVarkit({QStringLiteral("writetsf"), path, tsf});
        if (toTsf.exitCode != 0) {
            EXPECT_TRUE(refusedLegitimately(toTsf)) << toTsf.err.toStdString();
            ++refused;
            continue;
        }
        const CliResult toVcf = runVarkit({QStringLiteral("writevcf"), tsf, copy});
        if (toVcf.exitCode != 0) {
            ADD_FAILURE() << "writevcf: " << toVcf.err.toStdString();
            continue;
        }
        ++converted;
        expectNoNewComplaint(original, copy);
        expectSameValues(path, copy);
    }
    std::cout << files.size() << " corpus files, " << accepted << " read by bcftools, " << refused
              << " refused by varkit, " << converted << " written through TSF and back\n";
    EXPECT_GT(converted, accepted / 2);
}
