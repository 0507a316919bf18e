#include "demo/Random.h"

#include <QChar>

quint64 Random::next() {
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Random::below(int n) {
    return int(next() % quint64(n));
}

QString Random::digits(int n) {
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar('0' + below(10));
    return s;
}
