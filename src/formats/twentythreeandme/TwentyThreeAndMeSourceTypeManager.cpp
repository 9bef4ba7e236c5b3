#include "formats/twentythreeandme/TwentyThreeAndMeSourceTypeManager.h"

#include "formats/track/LineTrack.h"
#include "formats/twentythreeandme/TwentyThreeAndMeParser.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFile>

namespace {

// How far into the "#" header the column line may lie.
constexpr int HeaderLines = 64;

class TwentyThreeAndMeTrack : public LineTrack {
public:
    explicit TwentyThreeAndMeTrack(const QString& path) : LineTrack(path, false) {}
    std::unique_ptr<LineParser> parser(const QList<int>& fields) const override {
        return std::make_unique<TwentyThreeAndMeParser>(fields);
    }
};

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<TwentyThreeAndMeSourceTypeManager>());
    return true;
}();

} // namespace

bool TwentyThreeAndMeSourceTypeManager::handles(const QString& path) const {
    if (!LocalSourceTypeManager::handles(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (int i = 0; i < HeaderLines && !file.atEnd(); ++i) {
        const QByteArray line = file.readLine();
        if (!line.startsWith('#'))
            return false;
        if (line.startsWith("# rsid"))
            return true;
    }
    return false;
}

bool TwentyThreeAndMeSourceTypeManager::describe(VkSource& source, QString* error) const {
    if (!describeFile(source, FeatureTypeName::Interval, error))
        return false;
    auto track = QSharedPointer<TwentyThreeAndMeTrack>::create(source.path());
    if (!track->probe(ProbeLines, error))
        return false;
    source.info().schema = TwentyThreeAndMeParser::schema();
    attachTrack(source, track);
    return true;
}
