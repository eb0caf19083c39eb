#pragma once

#include <QList>

// Mono 16-bit audio as the speech engine renders it.
struct Pcm {
    QList<qint16> samples;
    int sampleRate = 22050;

    bool isEmpty() const { return samples.isEmpty(); }
};
