#pragma once

#include "source/readers/FeatureCursor.h"

// The reader of a transform that passes its input's features on one for one, each changed in place
// (values added or replaced): reading, re-seeking and progress are the input's.
class FeatureEditCursor : public FeatureCursor {
public:
    explicit FeatureEditCursor(FeatureCursorPtr input) : m_input(std::move(input)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        const int first = batch.size();
        if (!m_input->fill(batch, maxCount, error))
            return false;
        for (int i = first; i < batch.size(); ++i)
            if (!edit(batch[i], error))
                return false;
        return true;
    }
    bool atEnd() const override { return m_input->atEnd(); }
    int percentDone() const override { return m_input->percentDone(); }
    bool canReseek() const override { return m_input->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        return m_input->reseek(regions, error);
    }

protected:
    // Changes one feature; false with the reason when it cannot.
    virtual bool edit(VkFeature& feature, QString* error) = 0;

private:
    FeatureCursorPtr m_input;
};
