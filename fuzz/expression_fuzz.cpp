// Feeds arbitrary text to the expression language as a locus and as a sample expression over a
// VCF-like schema, and evaluates whatever compiles on a record with values and on one whose values
// are missing: as a truth value, as each value type, and through the placeholder check. Failures
// must come back as messages; nothing the parser library throws may escape.
#include "expr/Expression.h"
#include "source/values/SampleMatrix.h"

#include <cstdint>

namespace {

VkFieldList schema() {
    VkFieldList fields;
    fields << VkField(0, "Quality", "QUAL", ValueType::Float) << VkField(1, "Depth", "DP", ValueType::Int)
           << VkField(2, "Freq", "AF", ValueType::FloatArray) << VkField(3, "Gene", "GENE", ValueType::String)
           << VkField(4, "Flags", "", ValueType::StringArray)
           << VkField(5, "Genotype", "GT", ValueType::String, VkField::Matrix)
           << VkField(6, "Sample depth", "DP", ValueType::Int, VkField::Matrix)
           << VkField(7, "Allelic depths", "AD", ValueType::IntArray, VkField::Matrix);
    return fields;
}

VkFeature record(bool missing) {
    PVariantVector values;
    if (missing) {
        values << PVariant(PVariant::MissingFloat) << PVariant(PVariant::MissingInt)
               << PVariant(QVector<float>{PVariant::MissingFloat}) << PVariant("") << PVariant(QVector<QByteArray>())
               << PVariant(QVector<QByteArray>{"./.", "."}) << PVariant(QVector<int32_t>{PVariant::MissingInt, 0})
               << PVariant(SampleMatrix(PVariant(QVector<int32_t>()), {0, 0, 0}));
    } else {
        values << PVariant(50.5f) << PVariant(12) << PVariant(QVector<float>{0.01f, 0.3f}) << PVariant("BRCA2")
               << PVariant(QVector<QByteArray>{"DB"}) << PVariant(QVector<QByteArray>{"0/1", "1|1"})
               << PVariant(QVector<int32_t>{7, 25})
               << PVariant(SampleMatrix(PVariant(QVector<int32_t>{10, 5, 3, 9, 1}), {0, 2, 5}));
    }
    return VkFeature(VkSegment("20", 1000, 1001), values);
}

void evaluate(Expression& expression, const VkFeature& feature, int sample) {
    QString error;
    bool result = false;
    expression.load(feature);
    expression.test(feature, sample, &result, &error);
    for (ValueType type : {ValueType::Bool, ValueType::Int, ValueType::Float, ValueType::String}) {
        PVariant value;
        expression.compute(feature, sample, type, &value, &error);
    }
}

void run(const QString& text, Expression::Scope scope) {
    static const VkFieldList fields = schema();
    static const VkFeature full = record(false);
    static const VkFeature empty = record(true);
    QString error;
    std::unique_ptr<Expression> expression = Expression::compile(text, fields, scope, &error);
    if (!expression)
        return;
    expression->check(ValueType::Invalid, &error);
    expression->check(ValueType::Float, &error);
    const int samples = scope == Expression::Scope::Sample ? 2 : 1;
    for (int sample = 0; sample < samples; ++sample) {
        const int at = scope == Expression::Scope::Sample ? sample : -1;
        evaluate(*expression, full, at);
        evaluate(*expression, empty, at);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    run(text, Expression::Scope::Locus);
    run(text, Expression::Scope::Sample);
    return 0;
}
