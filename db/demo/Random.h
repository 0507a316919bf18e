#pragma once
// A small deterministic generator (splitmix64): the same rows on every platform and library, so
// every run and every database kind holds the same demo data.
#include <QString>
#include <QtGlobal>
#include <vector>

class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next();
    // 0 .. n-1.
    int below(int n);
    // n decimal digits.
    QString digits(int n);
    template <class T> const T& pick(const std::vector<T>& v) { return v[size_t(below(int(v.size())))]; }

private:
    quint64 m_state;
};
