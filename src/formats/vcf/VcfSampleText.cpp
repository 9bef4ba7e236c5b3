#include "formats/vcf/VcfSampleText.h"

#include "formats/vcf/VcfValueText.h"
#include "source/values/SampleMatrix.h"

#include <cstring>
#include <vector>

namespace {

using VcfValueText::IntDigits;
using VcfValueText::RealDigits;
using VcfValueText::writeFloat;
using VcfValueText::writeInt;

// One matrix field of a record, reduced to the pointers the writer walks.
struct Column {
    enum Kind { Missing, Ints, IntLists, Floats, FloatLists, Strings } kind = Missing;
    int size = 0; // samples that have a value
    const int32_t* ints = nullptr;
    const int32_t* offsets = nullptr;
    const QByteArray* strings = nullptr;
    const float* floats = nullptr;
};

// Writes one sample's list, or "." when it is empty.
template <class T, class Write>
char* writeList(char* out, const T* values, int32_t begin, int32_t end, Write write) {
    if (begin == end) {
        *out = '.';
        return out + 1;
    }
    for (int32_t i = begin; i < end; ++i) {
        if (i > begin)
            *out++ = ',';
        out = write(out, values[i]);
    }
    return out;
}

bool describe(const PVariant& value, Column* column, qint64* bound) {
    if (value.isSampleMatrix()) {
        const SampleMatrix& lists = value.sampleMatrix();
        const PVariant& values = lists.values();
        *column = Column{Column::IntLists, lists.sampleCount(), nullptr, lists.offsets().constData()};
        if (values.type() == ValueType::IntArray) {
            column->ints = values.intVector().constData();
            *bound += qint64(values.size()) * (IntDigits + 1) + lists.sampleCount();
            return true;
        }
        if (values.type() == ValueType::FloatArray) {
            column->kind = Column::FloatLists;
            column->floats = values.floatVector().constData();
            *bound += qint64(values.size()) * (RealDigits + 1) + lists.sampleCount();
            return true;
        }
        return false;
    }
    if (value.type() == ValueType::IntArray) {
        *column = Column{Column::Ints, value.size(), value.intVector().constData()};
        *bound += qint64(value.size()) * IntDigits;
        return true;
    }
    if (value.type() == ValueType::FloatArray) {
        *column = Column{Column::Floats, value.size()};
        column->floats = value.floatVector().constData();
        *bound += qint64(value.size()) * RealDigits;
        return true;
    }
    if (value.type() == ValueType::StringArray) {
        const QVector<QByteArray>& texts = value.stringVector();
        *column = Column{Column::Strings, texts.size()};
        column->strings = texts.constData();
        for (const QByteArray& text : texts)
            *bound += text.size();
        return true;
    }
    if (!value.isValid() || !value.isVector()) {
        *column = Column{};
        return true;
    }
    return false;
}

inline char* writeValue(char* out, const Column& column, int sample) {
    if (sample >= column.size) {
        *out = '.';
        return out + 1;
    }
    switch (column.kind) {
    case Column::Ints:
        return writeInt(out, column.ints[sample]);
    case Column::IntLists:
        return writeList(out, column.ints, column.offsets[sample], column.offsets[sample + 1], writeInt);
    case Column::Floats:
        return writeFloat(out, column.floats[sample]);
    case Column::FloatLists:
        return writeList(out, column.floats, column.offsets[sample], column.offsets[sample + 1], writeFloat);
    case Column::Strings: {
        const QByteArray& text = column.strings[sample];
        if (text.isEmpty()) {
            *out = '.';
            return out + 1;
        }
        std::memcpy(out, text.constData(), size_t(text.size()));
        return out + text.size();
    }
    case Column::Missing:
        break;
    }
    *out = '.';
    return out + 1;
}

} // namespace

namespace VcfSampleText {
bool append(QByteArray& line, const PVariant* const* fields, int fieldCount, int samples) {
    std::vector<Column> columns(static_cast<size_t>(fieldCount));
    // Every value takes at most its text plus one separator; missing values take one byte.
    qint64 bound = qint64(samples) * (fieldCount + 1) * 2;
    for (int f = 0; f < fieldCount; ++f)
        if (!describe(*fields[f], &columns[size_t(f)], &bound))
            return false;
    const int start = line.size();
    line.resize(int(start + bound));
    char* out = line.data() + start;
    for (int s = 0; s < samples; ++s) {
        *out++ = '\t';
        for (int f = 0; f < fieldCount; ++f) {
            if (f)
                *out++ = ':';
            out = writeValue(out, columns[size_t(f)], s);
        }
    }
    line.resize(int(out - line.constData()));
    return true;
}
} // namespace VcfSampleText
