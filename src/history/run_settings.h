#pragma once

#include <QString>

// What a run was spoken with, kept beside it: the English voice and the pace.
class RunSettings {
public:
    virtual ~RunSettings() = default;
    virtual QString voiceName() const = 0;
    virtual QString paceName() const = 0;
};
