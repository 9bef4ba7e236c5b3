#include "source/registry/VkSourceTypeRegistry.h"

#include "source/registry/PlaceholderSourceTypeManager.h"
#include "source/registry/VkSourceTypeManager.h"

#include <QDir>
#include <QFile>
#include <QUrl>

namespace {
struct FormatWord {
    const char* word;
    int typeId;
};
// Matched in this order: a text naming several kinds maps to the first.
const FormatWord kFormatWords[] = {
    {"idf2", 0},           {"tsf1", 1},       {"bam", 2},      {"vcf", 3}, {"rfs", 4},
    {"s3fs", 5},           {"transform", 11}, {"promise", 17}, {"bed", 7}, {"navnode", 9},
    {"structuredjson", 21}};

bool looksLike23andMe(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (int i = 0; i < 64 && !file.atEnd(); ++i) {
        const QByteArray line = file.readLine();
        if (!line.startsWith('#'))
            return false;
        if (line.startsWith("# rsid"))
            return true;
    }
    return false;
}

std::vector<std::unique_ptr<VkSourceTypeManager>> defaultManagers() {
    using P = PlaceholderSourceTypeManager;
    std::vector<std::unique_ptr<VkSourceTypeManager>> list;
    auto add = [&list](P* manager) { list.emplace_back(manager); };
    add(P::remote(4, "RFS", {"rfs:", "srfs:"}, "Remote file server"));
    add(P::remote(5, "S3RFS", {"s3://", "s3:"}, "Object-store"));
    add(P::remote(15, "Net", {"http://", "https://", "ftp://"}, "Network"));
    add(P::local(0, "IDF2", {".netCache.idf", ".covidf", ".idf"}));
    add(P::local(2, "BAM", {".bam"}));
    add(P::local(1, "TSF1", {".tsf-autosave", ".covtsf", ".tsf", ".dsf", "[memory]"}));
    add(P::remote(19, "Catalog", {}, "Database", {".variant-db", ".vardb-conf"}));
    add(P::local(7, "BED", {".bed.gz", ".bed"}));
    add(P::local(3, "VCF", {".gvcf.gz", ".vcf.gz", ".gvcf", ".vcf"}));
    add(P::local(10, "2bit", {".2bit"}));
    add(P::local(12, "FASTA", {".fa", ".fa.gz", ".fasta", ".fasta.gz", ".fna", ".fna.gz"}));
    add(P::local(13, "GTF", {".gtf", ".gtf.gz"}));
    add(P::local(14, "WIG", {".wig", ".wig.gz", ".wigFix", ".wigFix.gz"}));
    add(P::local(20, "23andMe", {".txt"}, looksLike23andMe));
    add(P::local(8, "Delimited", {".dsv.gz", ".csv.gz", ".tsv.gz"}));
    add(P::local(11, "Transform", {".txsource"}, nullptr, {"transform://"}));
    add(P::local(16, "BBI", {".bigwig", ".bigbed", ".bb", ".bw"}));
    add(P::local(21, "StructuredJSON", {".cvl-json", ".gene-pref"}));
    return list;
}

bool hasScheme(const QString& path) {
    return path.contains(QLatin1String("://"));
}
} // namespace

VkSourceTypeRegistry& VkSourceTypeRegistry::instance() {
    static VkSourceTypeRegistry registry;
    return registry;
}

VkSourceTypeRegistry::VkSourceTypeRegistry() : m_managers(defaultManagers()) {}

VkSourceTypeRegistry::~VkSourceTypeRegistry() {
    QWriteLocker locker(&m_lock);
    m_managers.clear();
}

QString VkSourceTypeRegistry::formatName(int typeId) {
    switch (typeId) {
    case 0:
        return QStringLiteral("IDF2");
    case 1:
        return QStringLiteral("TSF1");
    case 2:
        return QStringLiteral("BAM");
    case 3:
        return QStringLiteral("VCF");
    case 4:
        return QStringLiteral("RFS");
    case 5:
        return QStringLiteral("S3RFS");
    case 7:
        return QStringLiteral("BED");
    case 8:
        return QStringLiteral("Delimited");
    case 9:
        return QStringLiteral("NavNode");
    case 10:
        return QStringLiteral("2bit");
    case 11:
        return QStringLiteral("Transform");
    case 12:
        return QStringLiteral("FASTA");
    case 13:
        return QStringLiteral("GTF");
    case 14:
        return QStringLiteral("WIG");
    case 17:
        return QStringLiteral("Promise");
    case 19:
        return QStringLiteral("Catalog");
    case 21:
        return QStringLiteral("StructuredJSON");
    default:
        return QString();
    }
}

int VkSourceTypeRegistry::typeIdForFormatText(const QString& text) {
    const QString lower = text.toLower();
    for (const FormatWord& format : kFormatWords)
        if (lower.contains(QLatin1String(format.word)))
            return format.typeId;
    return -1;
}

VkSourceTypeManager* VkSourceTypeRegistry::managerForTypeId(int typeId) const {
    QReadLocker locker(&m_lock);
    for (const auto& manager : m_managers)
        if (manager->typeId() == typeId)
            return manager.get();
    return nullptr;
}

QList<VkSourceTypeManager*> VkSourceTypeRegistry::managers() const {
    QReadLocker locker(&m_lock);
    QList<VkSourceTypeManager*> list;
    for (const auto& manager : m_managers)
        list.append(manager.get());
    return list;
}

VkSourceTypeManager* VkSourceTypeRegistry::managerForPath(const QString& path) const {
    for (VkSourceTypeManager* manager : managers())
        if (manager->handles(path))
            return manager;
    return nullptr;
}

VkSourcePtr VkSourceTypeRegistry::open(const QString& path) const {
    // Transform URLs may carry JSON as it is; their own parser checks them.
    const bool transformUrl = path.startsWith(QLatin1String("transform://"), Qt::CaseInsensitive);
    if (hasScheme(path) && !transformUrl && !QUrl(path, QUrl::StrictMode).isValid()) {
        VkSourcePtr source(new VkSource(path));
        source->setErrorText(QStringLiteral("The source URL was invalid: ") + path);
        return source;
    }
    return openWith(managerForPath(path), path);
}

VkSourcePtr VkSourceTypeRegistry::openDescription(const PVariantMap& description,
                                                  const QString& baseFolder) const {
    QString url = QString::fromUtf8(description.value("url").bytes());
    if (!url.isEmpty() && !hasScheme(url) && QDir::isRelativePath(url))
        url = QDir(baseFolder).filePath(url);
    const int typeId = typeIdForFormatText(QString::fromUtf8(description.value("format").bytes()));
    VkSourceTypeManager* manager = typeId >= 0 ? managerForTypeId(typeId) : nullptr;
    if (!manager)
        return open(url);
    return openWith(manager, url);
}

VkSourcePtr VkSourceTypeRegistry::openWith(VkSourceTypeManager* manager, const QString& path) const {
    VkSourcePtr source(new VkSource(path));
    if (!manager) {
        source->setErrorText(QStringLiteral("The file is of an unrecognized type: ") + path);
        return source;
    }
    source->setManager(manager);
    source->info().url = path;
    source->info().format = formatName(manager->typeId());
    QString error;
    if (!manager->describe(*source, &error))
        source->setErrorText(error);
    return source;
}

void VkSourceTypeRegistry::registerManager(std::unique_ptr<VkSourceTypeManager> manager) {
    QWriteLocker locker(&m_lock);
    for (auto& existing : m_managers) {
        if (existing->typeId() == manager->typeId()) {
            existing = std::move(manager);
            return;
        }
    }
    m_managers.push_back(std::move(manager));
}

void VkSourceTypeRegistry::setPathAlias(const QString& alias, const QString& folder) {
    QWriteLocker locker(&m_lock);
    m_aliases.insert(alias, folder);
}

QString VkSourceTypeRegistry::pathAlias(const QString& alias) const {
    QReadLocker locker(&m_lock);
    return m_aliases.value(alias);
}
