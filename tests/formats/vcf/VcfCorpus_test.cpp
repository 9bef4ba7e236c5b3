// One VCF of the corpus that Debian packages ship as test data (fetched into the build folder by
// scripts/fetch-corpus.sh, which `make test` runs first), compared with bcftools. ctest runs this
// test once per corpus file, naming the file in VARKIT_CORPUS_FILE (cmake/CorpusTests.cmake).
#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// Positions are 32-bit, htslib's 64-bit: past 2^31 - 1 a clear error is the answer.
bool beyond32BitPositions(const QString& error) {
    return error.contains(QLatin1String("is beyond the largest position"));
}

// Reads the file as a stream, so that an index cannot stand in for contigs the header leaves out.
ProgramRun bcftoolsView(const QString& path) {
    return runProgram(
        QStringLiteral("bcftools"),
        {QStringLiteral("view"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-")},
        path);
}

// CHROM, POS, REF and ALT as `bcftools query` prints them, every field read as bcftools view does.
QList<QByteArray> varkitRecords(const VkSourcePtr& source, QString* error) {
    const int ref = source->info().fieldIndex("REF");
    const int alt = source->info().fieldIndex("ALT");
    QList<QByteArray> records;
    for (const VkFeature& feature : readFeatures(source, ReadRequest(), error)) {
        QByteArray alts;
        for (const QByteArray& allele : feature.value(alt).stringVector())
            alts += (alts.isEmpty() ? "" : ",") + allele;
        records.append(feature.segment().chromosome() + '\t' +
                       QByteArray::number(feature.segment().start() + 1) + '\t' + feature.value(ref).bytes() +
                       '\t' + (alts.isEmpty() ? "." : alts));
    }
    return records;
}

void expectClearError(const QString& path) {
    const VkSourcePtr source = openSource(path);
    QString error = source->errorText();
    if (source->isValid())
        varkitRecords(source, &error);
    EXPECT_FALSE(error.isEmpty()) << "varkit reads a file bcftools refuses";
}

// False when varkit refuses the file for a reason of its own (positions past 2^31 - 1).
bool expectSameRecords(const QString& path) {
    const QList<QByteArray> expected =
        splitLines(bcftoolsQuery(path, QStringLiteral("%CHROM\\t%POS\\t%REF\\t%ALT\\n")).out);
    const ProgramRun samples =
        runProgram(QStringLiteral("bcftools"), {QStringLiteral("query"), QStringLiteral("-l"), path});
    const VkSourcePtr source = openSource(path);
    EXPECT_TRUE(source->isValid()) << source->errorText().toStdString();
    if (!source->isValid())
        return false;
    EXPECT_EQ(source->info().entityCount, splitLines(samples.out).size());
    QString error;
    const QList<QByteArray> records = varkitRecords(source, &error);
    if (beyond32BitPositions(error))
        return false;
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(records.size(), expected.size());
    for (int i = 0; i < std::min(records.size(), expected.size()); ++i) {
        if (records.at(i) != expected.at(i)) {
            ADD_FAILURE() << "record " << i << ": varkit " << records.at(i).constData() << ", bcftools "
                          << expected.at(i).constData();
            break;
        }
    }
    return true;
}

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

// Written to TSF and back to VCF by the varkit program: bcftools must read the copy without a
// complaint of its own and give the same values as from the original. A file without a record
// ends the conversion with a clear error.
void expectSameThroughTsf(const QString& path, const ProgramRun& original) {
    VcfFiles files;
    const QString tsf = files.path(QStringLiteral("x.tsf"));
    const QString copy = files.path(QStringLiteral("x.vcf"));
    const CliResult toTsf = runVarkit({QStringLiteral("writetsf"), path, tsf});
    if (toTsf.exitCode != 0) {
        EXPECT_TRUE(toTsf.exitCode == 1 && toTsf.err.contains("no data was provided"))
            << toTsf.err.toStdString();
        return;
    }
    const CliResult toVcf = runVarkit({QStringLiteral("writevcf"), tsf, copy});
    ASSERT_EQ(toVcf.exitCode, 0) << "writevcf: " << toVcf.err.toStdString();
    expectNoNewComplaint(original, copy);
    expectSameValues(path, copy);
}

} // namespace

TEST(VcfCorpus, EachFile) {
    const QString path = qEnvironmentVariable("VARKIT_CORPUS_FILE");
    if (path.isEmpty())
        GTEST_SKIP() << "No VCF corpus under " VARKIT_CORPUS
                        ": `make test` fetches it first (scripts/fetch-corpus.sh <build folder>)";
    SCOPED_TRACE(path.toStdString());
    const WarningLog quiet; // readers warn about the odd values these files hold
    const ProgramRun original = bcftoolsView(path);
    if (original.exitCode != 0) {
        expectClearError(path);
        return;
    }
    if (expectSameRecords(path))
        expectSameThroughTsf(path, original);
}
