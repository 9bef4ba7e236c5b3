#include "source/values/CategoricalVector.h"

#include <algorithm>

CategoricalVector::CategoricalVector() : d(new Data) {}

CategoricalVector::CategoricalVector(QVector<int32_t> codes, QVector<QByteArray> names) : d(new Data) {
    const int size = std::min(codes.size(), names.size());
    codes.resize(size);
    names.resize(size);
    d->codes = std::move(codes);
    d->names = std::move(names);
}

void CategoricalVector::reserve(int size) {
    d->codes.reserve(size);
    d->names.reserve(size);
}

void CategoricalVector::append(int32_t code, const QByteArray& name) {
    d->codes.append(code);
    d->names.append(name);
}

bool CategoricalVector::operator==(const CategoricalVector& other) const {
    return d == other.d || (d->codes == other.d->codes && d->names == other.d->names);
}
