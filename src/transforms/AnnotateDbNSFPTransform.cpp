#include "transforms/AnnotateDbNSFPTransform.h"

#include "transforms/AnnotateDbNSFPVotes.h"
#include "transforms/framework/TransformRegistry.h"
#include "transforms/join/AllelicMatchFilter.h"

namespace {
[[maybe_unused]] const TransformRegistration<AnnotateDbNSFPTransform> kRegistration;
} // namespace

bool AnnotateDbNSFPTransform::buildFieldGroups(QString*) {
    const AnnotateDbNSFPOptions options(this->options());
    addGroup(std::make_shared<AllelicMatchFilter>(ClosestAllelicMatch, false));
    const QVector<QString> fields = options.votingPredictionFields();
    addGroup(std::make_shared<AnnotateDbNSFPVotes>(QStringList(fields.begin(), fields.end())));
    return true;
}

QString AnnotateDbNSFPTransform::defaultOutputName() const {
    return QStringLiteral("Annotate dbNSFP with ") + right()->info().name;
}
