#pragma once

// Declaring an option family.
//
// A family is written once, as a list macro that names each option in declaration order:
//
//     #define VK_ALT_RATIO_OPTIONS(OPT) <backslash>
//         OPT(String, sourceUrl, setSourceUrl, "", "The input", .scrub()) <backslash>
//         OPT(Int, dp4Idx, setDp4Idx, -1, "Index of the DP4 field", .greaterOrEqual(-1))
//
//     VK_DECLARE_OPTIONS(AltRatioOptions, VkOptionsValue, 1, "Append ...", VK_ALT_RATIO_OPTIONS)
//
// and, in the family's .cpp, VK_DEFINE_OPTIONS(AltRatioOptions, VK_ALT_RATIO_OPTIONS).
//
// OPT(Kind, name, setter, default, description, modifiers...) where Kind is one of Bool, Int,
// Int64, Double, String, Enum, BoolList, IntList, DoubleList, StringList, Options, OptionsList.
// List defaults are brace lists ({} or ({1, 2})); for Options and OptionsList the default slot
// names the nested family's handle class (VkOptionsValue for any family). Modifiers chain on
// the descriptor: .label("..."), .scrub(), .attribute("key", value), .greaterThan(v),
// .greaterOrEqual(v), .lessThan(v), .lessOrEqual(v), .pattern("regexp"[, case, syntax]),
// .notEmpty(), .values({codes}, {names}, {docs}).
//
// The declaration generates FamilyData, FamilyMeta and the handle class Family with one getter
// and one setter per option. The parent is VkOptionsValue or an intermediate family, whose
// options then come first. VK_DECLARE_OPTIONS_NAMED gives the class name when it differs from
// the C++ name. The family registers itself with VkMetaRegistry at start-up.

#include "meta/MetaTypeBool.h"
#include "meta/MetaTypeEnum.h"
#include "meta/MetaTypeList.h"
#include "meta/MetaTypeNumber.h"
#include "meta/MetaTypeOptions.h"
#include "meta/MetaTypeString.h"
#include "meta/VkMetaOptionsBase.h"
#include "meta/VkMetaRegistry.h"
#include "meta/VkOptionsValue.h"

// Applies the modifiers of an option declaration to its descriptor.
template <class T> class VkOptionBuilder {
public:
    explicit VkOptionBuilder(T* type) : m_type(type) {}

    VkOptionBuilder& label(const char* text) {
        m_type->setLabel(QString::fromUtf8(text));
        return *this;
    }
    VkOptionBuilder& scrub() { return attribute("scrub", true); }
    VkOptionBuilder& attribute(const char* key, const QVariant& value) {
        m_type->setAttribute(QString::fromUtf8(key), value);
        return *this;
    }
    template <class V> VkOptionBuilder& greaterThan(V bound) {
        m_type->setGreaterThan(bound);
        return *this;
    }
    template <class V> VkOptionBuilder& greaterOrEqual(V bound) {
        m_type->setGreaterOrEqual(bound);
        return *this;
    }
    template <class V> VkOptionBuilder& lessThan(V bound) {
        m_type->setLessThan(bound);
        return *this;
    }
    template <class V> VkOptionBuilder& lessOrEqual(V bound) {
        m_type->setLessOrEqual(bound);
        return *this;
    }
    VkOptionBuilder& pattern(const char* expression, Qt::CaseSensitivity sensitivity = Qt::CaseSensitive,
                             QRegExp::PatternSyntax syntax = QRegExp::RegExp) {
        m_type->setPattern(QRegExp(QString::fromUtf8(expression), sensitivity, syntax));
        return *this;
    }
    VkOptionBuilder& notEmpty() {
        m_type->setNotEmpty(true);
        return *this;
    }
    VkOptionBuilder& values(QVector<int> codes, QStringList names, QStringList docs = {}) {
        m_type->setValues(std::move(codes), std::move(names), std::move(docs));
        return *this;
    }
    T* release() const { return m_type; }

private:
    T* m_type;
};

// The C++ type of each kind's accessors.
#define VK_OPTION_TYPE_Bool(def) bool
#define VK_OPTION_TYPE_Int(def) int
#define VK_OPTION_TYPE_Int64(def) qint64
#define VK_OPTION_TYPE_Double(def) double
#define VK_OPTION_TYPE_String(def) QString
#define VK_OPTION_TYPE_Enum(def) int
#define VK_OPTION_TYPE_BoolList(def) QVector<bool>
#define VK_OPTION_TYPE_IntList(def) QVector<int>
#define VK_OPTION_TYPE_DoubleList(def) QVector<double>
#define VK_OPTION_TYPE_StringList(def) QVector<QString>
#define VK_OPTION_TYPE_Options(Family) Family
#define VK_OPTION_TYPE_OptionsList(Family) QVector<Family>

// The descriptor of each kind.
#define VK_OPTION_NEW_SCALAR(Type, name, def, desc) new Type(name, QString(), QString::fromUtf8(desc), def)
#define VK_OPTION_NEW_Bool(name, def, desc) VK_OPTION_NEW_SCALAR(MetaTypeBool, name, def, desc)
#define VK_OPTION_NEW_Int(name, def, desc) VK_OPTION_NEW_SCALAR(MetaTypeInt, name, def, desc)
#define VK_OPTION_NEW_Int64(name, def, desc) VK_OPTION_NEW_SCALAR(MetaTypeInt64, name, qint64(def), desc)
#define VK_OPTION_NEW_Double(name, def, desc) VK_OPTION_NEW_SCALAR(MetaTypeDouble, name, double(def), desc)
#define VK_OPTION_NEW_String(name, def, desc)                                                                \
    VK_OPTION_NEW_SCALAR(MetaTypeString, name, QString::fromUtf8(def), desc)
#define VK_OPTION_NEW_Enum(name, def, desc) VK_OPTION_NEW_SCALAR(MetaTypeEnum, name, def, desc)
#define VK_OPTION_NEW_BoolList(name, def, desc)                                                              \
    VK_OPTION_NEW_SCALAR(MetaTypeBoolList, name, QVector<bool> def, desc)
#define VK_OPTION_NEW_IntList(name, def, desc)                                                               \
    VK_OPTION_NEW_SCALAR(MetaTypeIntList, name, QVector<int> def, desc)
#define VK_OPTION_NEW_DoubleList(name, def, desc)                                                            \
    VK_OPTION_NEW_SCALAR(MetaTypeDoubleList, name, QVector<double> def, desc)
#define VK_OPTION_NEW_StringList(name, def, desc)                                                            \
    VK_OPTION_NEW_SCALAR(MetaTypeStringList, name, QVector<QString> def, desc)
#define VK_OPTION_NEW_Options(name, Family, desc)                                                            \
    VK_OPTION_NEW_SCALAR(MetaTypeOptions, name, &vkMetaOf<Family>, desc)
#define VK_OPTION_NEW_OptionsList(name, Family, desc)                                                        \
    VK_OPTION_NEW_SCALAR(MetaTypeOptionsList, name, &vkMetaOf<Family>, desc)

// Expansions of one OPT(...) entry.
#define VK_OPTION_INDEX(kind, name, setter, def, desc, ...) name##Index,
#define VK_OPTION_ACCESSORS(kind, name, setter, def, desc, ...)                                              \
    VK_OPTION_TYPE_##kind(def) name() const {                                                                \
        return optionAt<VK_OPTION_TYPE_##kind(def)>(staticMeta(), name##Index);                              \
    }                                                                                                        \
    void setter(const VK_OPTION_TYPE_##kind(def) & value) {                                                  \
        setOptionAt(name##Index, value);                                                                     \
    }
#define VK_OPTION_DESCRIPTOR(kind, name, setter, def, desc, ...)                                             \
    addOption(VkOptionBuilder<MetaType##kind>(VK_OPTION_NEW_##kind(#name, def, desc)) __VA_ARGS__.release());

// A family with no options of its own.
#define VK_NO_OPTIONS(OPT)

#define VK_DECLARE_OPTIONS(Family, ParentFamily, version, description, LIST)                                 \
    VK_DECLARE_OPTIONS_NAMED(Family, ParentFamily, #Family, version, description, LIST)

#define VK_DECLARE_OPTIONS_NAMED(Family, ParentFamily, name, version, description, LIST)                     \
    class Family;                                                                                            \
    class Family##Data : public ParentFamily::Data {                                                         \
    public:                                                                                                  \
        const VkMetaOptionsBase* meta() const override;                                                      \
    };                                                                                                       \
    class Family##Meta : public ParentFamily::Meta {                                                         \
    public:                                                                                                  \
        Family##Meta();                                                                                      \
                                                                                                             \
    protected:                                                                                               \
        explicit Family##Meta(const VkMetaInfo& info);                                                       \
        VkOptionsData* newData() const override;                                                             \
    };                                                                                                       \
    class Family : public ParentFamily {                                                                     \
    public:                                                                                                  \
        using Parent = ParentFamily;                                                                         \
        using Data = Family##Data;                                                                           \
        using Meta = Family##Meta;                                                                           \
        static constexpr const char* kClassName = name;                                                      \
        static constexpr int kClassVersion = version;                                                        \
        static constexpr const char* kDescription = description;                                             \
        enum OptionIndex : int { kOptionBegin = Parent::kOptionEnd - 1, LIST(VK_OPTION_INDEX) kOptionEnd };  \
                                                                                                             \
        /* A new record holding every default. */                                                            \
        Family() : Parent(staticMeta()->create()) {}                                                         \
        /* Shares the record when it belongs to this family (or one derived from it), else null. */          \
        explicit Family(const VkOptionsValue& value) : Parent(ofFamily(value, staticMeta())) {}              \
        static const Meta* staticMeta();                                                                     \
        Family clone() const { return Family(VkOptionsValue::clone()); }                                     \
        LIST(VK_OPTION_ACCESSORS)                                                                            \
                                                                                                             \
    protected:                                                                                               \
        explicit Family(VkOptionsData* data) : Parent(data) {}                                               \
    };

#define VK_DEFINE_OPTIONS(Family, LIST)                                                                      \
    const Family::Meta* Family::staticMeta() {                                                               \
        static const Meta meta;                                                                              \
        return &meta;                                                                                        \
    }                                                                                                        \
    const VkMetaOptionsBase* Family##Data::meta() const {                                                    \
        return Family::staticMeta();                                                                         \
    }                                                                                                        \
    Family##Meta::Family##Meta()                                                                             \
        : Family##Meta(VkMetaInfo{QString::fromUtf8(Family::kClassName), Family::kClassVersion,              \
                                  QString::fromUtf8(Family::kDescription)}) {}                               \
    Family##Meta::Family##Meta(const VkMetaInfo& info) : Family::Parent::Meta(info) {                        \
        addLineage(QString::fromUtf8(Family::kClassName));                                                   \
        LIST(VK_OPTION_DESCRIPTOR)                                                                           \
        Q_ASSERT(optionCount() == Family::kOptionEnd);                                                       \
    }                                                                                                        \
    VkOptionsData* Family##Meta::newData() const {                                                           \
        return new Family##Data;                                                                             \
    }                                                                                                        \
    [[maybe_unused]] static const bool Family##Registered = VkMetaRegistry::add(Family::staticMeta());
