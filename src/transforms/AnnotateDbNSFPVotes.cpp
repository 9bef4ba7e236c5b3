#include "transforms/AnnotateDbNSFPVotes.h"

#include "transforms/join/JoinFieldGroups.h"

#include <algorithm>

namespace {

enum Vote { NoVote, Tolerated, Damaging };
enum Consensus { ConsensusDamaging = 0, ConsensusTolerated = 1, ConsensusSplit = 2 };
const char* const kConsensusNames[] = {"Damaging", "Tolerated", "Split"};

const char kLetters[] =
    "D, P, A, H and M are damaging (damaging or deleterious, possibly damaging, disease causing, high "
    "or medium impact), T, B, N and L tolerated (tolerated, benign, neutral, low impact); in "
    "MutationTaster P is a polymorphism, so tolerated. Other values do not vote.";

Vote letterVote(char letter, bool mutationTaster) {
    switch (letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter) {
    case 'P':
        return mutationTaster ? Tolerated : Damaging;
    case 'D':
    case 'A':
    case 'H':
    case 'M':
        return Damaging;
    case 'T':
    case 'B':
    case 'N':
    case 'L':
        return Tolerated;
    default:
        return NoVote;
    }
}

// Appends the predictions of a text (";" between transcripts, or "," from a list) and returns the
// most damaging vote among them, each by its first letter.
Vote appendPredictions(const QByteArray& text, bool mutationTaster, QVector<QByteArray>* predictions) {
    Vote vote = NoVote;
    int start = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ';' && text[i] != ',')
            continue;
        const QByteArray prediction = text.mid(start, i - start).trimmed();
        predictions->append(prediction.isEmpty() ? QByteArray(".") : prediction);
        if (!prediction.isEmpty())
            vote = std::max(vote, letterVote(prediction[0], mutationTaster));
        start = i + 1;
    }
    return vote;
}

// A value as text: a string, or a single letter of a Character or Categorical field.
QByteArray textOf(const PVariant& value) {
    return value.type() == ValueType::String ? value.bytes() : value.toText();
}

bool endsWithPred(const QByteArray& text) {
    return text.endsWith("_pred");
}

VkField countField(const char* name, const char* symbol, ValueType type, const QString& doc) {
    VkField field(0, name, symbol, type);
    field.doc = doc;
    field.props.insert("Number", PVariant("1"));
    return field;
}

} // namespace

bool AnnotateDbNSFPVotes::setup(const VkSource& left, const VkSource& right, QString* error) {
    m_indexes.clear();
    m_mutationTaster.clear();
    m_fields.clear();
    const VkFieldList& schema = right.schema();
    if (m_names.isEmpty()) {
        for (const VkField& field : schema)
            if (field.fieldType == VkField::LocusAttribute &&
                (endsWithPred(field.symbol) || endsWithPred(field.name)))
                m_indexes << field.idx;
        if (m_indexes.isEmpty()) {
            *error = QStringLiteral("The annotation source has no prediction fields (fields named *_pred)");
            return false;
        }
    }
    for (const QString& name : m_names) {
        const int idx = JoinFields::find(schema, name);
        if (idx < 0) {
            *error = QStringLiteral("Unable to find field ") + name;
            return false;
        }
        m_indexes << idx;
    }
    for (int idx : qAsConst(m_indexes)) {
        const VkField& input = schema.at(idx);
        m_mutationTaster << (input.symbol.startsWith("MutationTaster") ||
                             input.name.startsWith("MutationTaster"));
        VkField field(0, input.name, input.symbol, ValueType::StringArray);
        // A symbol the input already has would be ambiguous.
        if (JoinFields::find(left.schema(), QString::fromUtf8(field.symbol)) >= 0)
            field.symbol = "dbNSFP_" + field.symbol;
        field.doc = QStringLiteral("The predictions of the matching records, one per transcript. ") +
                    QLatin1String(kLetters);
        field.props.insert("Number", PVariant("."));
        m_fields << field;
    }
    m_fields << countField("Damaging Votes", "DAMAGING_VOTES", ValueType::Int,
                           QStringLiteral("The number of prediction fields that call the variant damaging, "
                                          "each by the most damaging of its predictions. ") +
                               QLatin1String(kLetters));
    m_fields << countField("Total Votes", "TOTAL_VOTES", ValueType::Int,
                           QStringLiteral("The number of prediction fields that call the variant damaging or "
                                          "tolerated."));
    m_fields << countField("Damaging Fraction", "DAMAGING_FRACTION", ValueType::Float,
                           QStringLiteral("Damaging votes over total votes; missing without votes."));
    VkField consensus =
        countField("Consensus Call", "CONSENSUS_CALL", ValueType::Categorical,
                   QStringLiteral("Damaging when more than half the votes say damaging, Tolerated "
                                  "when fewer than half do, Split at half; missing without "
                                  "votes."));
    consensus.enumValues = {ConsensusDamaging, ConsensusTolerated, ConsensusSplit};
    consensus.enumNames = {kConsensusNames[0], kConsensusNames[1], kConsensusNames[2]};
    m_fields << consensus;
    return true;
}

void AnnotateDbNSFPVotes::computeValues(const VkFeature&, const JoinMatches& matches, int,
                                        PVariantVector& out) const {
    int damaging = 0;
    int total = 0;
    for (int f = 0; f < m_indexes.size(); ++f) {
        Vote vote = NoVote;
        QVector<QByteArray> predictions;
        for (const JoinMatch& match : matches) {
            const PVariant& value = match.feature.value(m_indexes[f]);
            if (value.isValid() && !value.isMissing())
                vote = std::max(vote, appendPredictions(textOf(value), m_mutationTaster[f], &predictions));
        }
        out.append(predictions.isEmpty() ? PVariant::missing(ValueType::StringArray)
                                         : PVariant(std::move(predictions)));
        damaging += vote == Damaging;
        total += vote != NoVote;
    }
    out.append(PVariant(damaging));
    out.append(PVariant(total));
    if (total == 0) {
        out << PVariant::missing(ValueType::Float) << PVariant::missing(ValueType::Categorical);
        return;
    }
    const Consensus call = 2 * damaging > total   ? ConsensusDamaging
                           : 2 * damaging < total ? ConsensusTolerated
                                                  : ConsensusSplit;
    out << PVariant(float(damaging) / float(total)) << PVariant::categorical(call, kConsensusNames[call]);
}
