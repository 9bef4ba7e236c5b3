#include "formats/wig/WigSourceTypeManager.h"

#include "formats/track/LineTrack.h"
#include "formats/wig/WigParser.h"
#include "source/registry/VkSourceTypeRegistry.h"

namespace {

class WigTrack : public LineTrack {
public:
    explicit WigTrack(const QString& path) : LineTrack(path, false) {}
    std::unique_ptr<LineParser> parser(const QList<int>& fields) const override {
        return std::make_unique<WigParser>(fields);
    }
};

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<WigSourceTypeManager>());
    return true;
}();

} // namespace

bool WigSourceTypeManager::describe(VkSource& source, QString* error) const {
    if (!describeFile(source, FeatureTypeName::DataSequence, error))
        return false;
    auto track = QSharedPointer<WigTrack>::create(source.path());
    if (!track->probe(ProbeLines, error))
        return false;
    source.info().schema = WigParser::schema();
    attachTrack(source, track);
    return true;
}
