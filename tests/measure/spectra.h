#pragma once
// Spectra with channel edges worked out by hand: straight-sided peaks on a flat floor, an even single-precision axis.

#include <algorithm>
#include <cmath>
#include <vector>

struct Triangle {
    int center;    // point index of the top
    double top;    // dBm
    double slope;  // dB per point on both sides
};

inline std::vector<float> axis(int points, double startNm, double stepNm)
{
    std::vector<float> wl;
    for (int i = 0; i < points; ++i) wl.push_back(static_cast<float>(startNm + i * stepNm));
    return wl;
}

// Each point takes the highest of the peaks' straight sides, never below the floor.
inline std::vector<float> peaks(int points, double floorDbm, const std::vector<Triangle>& triangles)
{
    std::vector<float> v;
    for (int i = 0; i < points; ++i) {
        double value = floorDbm;
        for (const Triangle& t : triangles) value = std::max(value, t.top - t.slope * std::abs(i - t.center));
        v.push_back(static_cast<float>(value));
    }
    return v;
}

inline double at(const std::vector<float>& v, int i) { return v[static_cast<std::size_t>(i)]; }
