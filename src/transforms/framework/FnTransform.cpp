#include "transforms/framework/FnTransform.h"

#include "meta/Json.h"
#include "source/readers/VkFieldReader.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "transforms/framework/TransformUrl.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Inputs are recorded so that the URL opens from any working folder: local paths become absolute.
QString portableUrl(const VkSource& source) {
    const QString url = source.info().url.isEmpty() ? source.path() : source.info().url;
    if (url.contains(QLatin1String("://")) || url.startsWith(QLatin1String("[memory]")) ||
        QDir::isAbsolutePath(url))
        return url;
    return QDir::current().absoluteFilePath(url);
}

// An input file's name without its last suffix ("calls.vcf" for "calls.vcf.gz"); a transform
// input's whole name, so nested transforms read "calls.vcf.altRatio.altRatio".
QString baseName(const VkSource& input) {
    if (input.typeId() == TransformUrl::TypeId)
        return input.info().name;
    return QFileInfo(input.info().name.isEmpty() ? input.path() : input.info().name).completeBaseName();
}

} // namespace

FnTransform::FnTransform(VkOptionsValue options) : m_options(std::move(options)) {}

FnTransform::~FnTransform() = default;

QByteArray FnTransform::optionsJson() const {
    return Json::writeOptions(m_options, Json::Style::Compact);
}

QStringList FnTransform::inputUrls() const {
    const QVector<QString> urls = m_options.option("sourceUrls").value<QVector<QString>>();
    return QStringList(urls.begin(), urls.end());
}

void FnTransform::setInputUrls(const QStringList& urls) {
    mutableOptions().setOption("sourceUrls", QVariant::fromValue(QVector<QString>(urls.begin(), urls.end())));
}

VkFieldReader* FnTransform::createFieldReader() const {
    if (m_inputs.isEmpty() || !m_inputs.first()->manager())
        return nullptr;
    return m_inputs.first()->manager()->createFieldReader(m_inputs.first());
}

bool FnTransform::setInputs(const QList<VkSourcePtr>& sources, QString* error) {
    if (sources.size() < minInputCount()) {
        *error = QStringLiteral("Inadequate number of sources provided to transform: %1.").arg(name());
        return false;
    }
    m_inputs = sources;
    QStringList urls;
    for (const VkSourcePtr& source : sources)
        urls << portableUrl(*source);
    setInputUrls(urls);
    m_url = makeUrl(0);
    m_info = sources.isEmpty() ? VkSourceInfo() : sources.first()->info();
    m_info.url = m_url;
    m_info.format = VkSourceTypeRegistry::formatName(TransformUrl::TypeId);
    m_info.size = -1;
    m_info.name = sources.isEmpty() ? name() : baseName(*sources.first()) + QLatin1Char('.') + name();
    return open(error);
}

QString FnTransform::makeUrl(int encoding) const {
    return TransformUrl::make(name(), optionsJson(), encoding);
}

VkOptionsValue& FnTransform::mutableOptions() {
    if (m_options.useCount() > 1)
        m_options.detach();
    return m_options;
}

FeatureCursorPtr FnTransform::openInput(const VkSourcePtr& input, const ReadRequest& request, QString* error) {
    return input->manager()->openCursor(input, request, error);
}
