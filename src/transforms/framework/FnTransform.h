#pragma once

#include "meta/VkOptionsValue.h"
#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

#include <QStringList>

class VkFieldReader;

// A source computed on the fly from input sources. A transform is fully described by its name,
// its option record (which carries the input URLs in "sourceUrl" or "sourceUrls") and so can be
// written down as a transform:// URL or a .txsource bundle and opened again later.
//
// Life of a transform: created from its options (TransformRegistry), given its inputs
// (setInputs, which calls open), then asked for cursors. open() validates the options against the
// inputs' schemas and builds the output description; createFeatureReader() opens the inputs'
// cursors and wraps them in the transform's reader, a cursor pulled on the caller's thread, so
// a nesting of transforms costs no thread and no queue per level.
class FnTransform {
public:
    virtual ~FnTransform();

    // The registered name, fixed per class.
    virtual QString name() const = 0;
    // The least number of inputs the transform accepts.
    virtual int minInputCount() const { return 1; }
    // False for names this program knows but cannot compute; opening one fails.
    virtual bool isAvailable() const { return true; }

    // The option record, shared.
    VkOptionsValue options() const { return m_options; }
    // The option record as compact JSON (the record map its family writes).
    virtual QByteArray optionsJson() const;
    // The input URLs, in order: "sourceUrls" unless a subclass keeps them elsewhere.
    virtual QStringList inputUrls() const;
    virtual void setInputUrls(const QStringList& urls);

    // Validates the options against the inputs and builds the output description; false with the
    // transform's own message.
    virtual bool open(QString* error) = 0;
    // A reader of the output for one request: a cursor over the inputs' cursors. Null, with the
    // reason, when it cannot be opened.
    virtual FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const = 0;
    // Reads single values of the output; null when the transform has none.
    virtual VkFieldReader* createFieldReader() const;

    // Hands over the inputs, records their URLs in the options, fixes the transform's own URL and
    // opens it. Fails with "Inadequate number of sources provided to transform: %1." when there
    // are fewer than minInputCount().
    bool setInputs(const QList<VkSourcePtr>& sources, QString* error);
    const QList<VkSourcePtr>& inputs() const { return m_inputs; }

    // The transform:// URL of the transform with its options; encoding 0 is "b64" ("b64z" above
    // 32768 bytes of JSON), 1 is "json"; any other gives an empty text.
    QString makeUrl(int encoding = 0) const;
    // The URL fixed by setInputs: the transform's identity.
    const QString& url() const { return m_url; }
    // What the output looks like, once open.
    const VkSourceInfo& outputInfo() const { return m_info; }

protected:
    explicit FnTransform(VkOptionsValue options);

    // The record for changing: a record shared with another holder is copied first.
    VkOptionsValue& mutableOptions();
    // The output description; setInputs starts it as a copy of the first input's.
    VkSourceInfo& info() { return m_info; }
    // Opens a cursor of one input.
    static FeatureCursorPtr openInput(const VkSourcePtr& input, const ReadRequest& request, QString* error);

private:
    VkOptionsValue m_options;
    QList<VkSourcePtr> m_inputs;
    QString m_url;
    VkSourceInfo m_info;
};

using FnTransformPtr = std::shared_ptr<FnTransform>;
