#pragma once

class QString;

// The display the drill writes to. The count label's visibility is also the run's
// finished flag: the run is finished exactly when the count label is hidden.
class DrillView {
public:
    virtual ~DrillView() = default;

    virtual void setDisplayText(const QString& text) = 0;
    virtual QString displayText() const = 0;

    virtual void setCountCaption(const QString& caption) = 0;
    virtual bool isCountVisible() const = 0;
    virtual void setCountVisible(bool visible) = 0;

    virtual void setTimeCaption(const QString& caption) = 0;

    virtual void setRateCaption(const QString& caption) = 0;
    virtual QString rateCaption() const = 0;
};
