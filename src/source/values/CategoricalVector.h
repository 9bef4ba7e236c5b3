#pragma once

#include <QByteArray>
#include <QSharedData>
#include <QVector>
#include <cstdint>

// Elements of a Categorical Array: parallel codes and names. The names are usually copies of
// a field's enum names, so each one costs a reference-count bump, not a string copy.
class CategoricalVector {
public:
    CategoricalVector();
    // Parallel lists; the shorter one decides the size.
    CategoricalVector(QVector<int32_t> codes, QVector<QByteArray> names);

    int size() const { return d->codes.size(); }
    bool isEmpty() const { return d->codes.isEmpty(); }
    int32_t code(int index) const { return d->codes.at(index); }
    const QByteArray& name(int index) const { return d->names.at(index); }
    const QVector<int32_t>& codes() const { return d->codes; }
    const QVector<QByteArray>& names() const { return d->names; }

    void reserve(int size);
    void append(int32_t code, const QByteArray& name);

    bool operator==(const CategoricalVector& other) const;
    bool operator!=(const CategoricalVector& other) const { return !(*this == other); }

private:
    struct Data : QSharedData {
        QVector<int32_t> codes;
        QVector<QByteArray> names;
    };
    QSharedDataPointer<Data> d;
};

Q_DECLARE_TYPEINFO(CategoricalVector, Q_MOVABLE_TYPE);
