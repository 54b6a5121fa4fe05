#include "engine/RBJBiquad.h"

#include <cmath>

std::vector<float> RBJBiquad::calc_filter_coeffs (int type, double frequency, double sampleRate,
                                                  double q, double gainDb, bool qIsBandwidth)
{
    design (type, frequency, sampleRate, q, gainDb, qIsBandwidth);
    return { b0, b1, b2, 1.0f, a1, a2 };
}

void RBJBiquad::design (int type, double frequency, double sampleRate, double q, double gainDb, bool qIsBandwidth) noexcept
{
    const double w0 = 6.283185307179586 * frequency / sampleRate;
    const double s = std::sin (w0);
    const double c = std::cos (w0);

    const double alpha = qIsBandwidth ? s * std::sinh (0.34657359027997264 * q * w0 / s)
                                      : s / (2.0 * q);

    double rb0 = 1.0, rb1 = 0.0, rb2 = 0.0, ra0 = 1.0, ra1 = 0.0, ra2 = 0.0;

    if (type >= 6 && type <= 8)
    {
        const double A = std::pow (10.0, gainDb / 40.0);
        // The shelf term ignores the bandwidth option: it is always built from q.
        const double t = std::sqrt (A) / q * s;
        const auto f = [] (double x) { return (double) (float) x; };

        switch (type)
        {
            case 6:
                rb0 = f (1.0 + alpha * A);  rb1 = f (-2.0 * c);  rb2 = f (1.0 - alpha * A);
                ra0 = f (1.0 + alpha / A);  ra1 = f (-2.0 * c);  ra2 = f (1.0 - alpha / A);
                break;
            case 7:
                rb0 = f (A * ((A + 1.0) - (A - 1.0) * c + t));
                rb1 = f (2.0 * A * ((A - 1.0) - (A + 1.0) * c));
                rb2 = f (A * ((A + 1.0) - (A - 1.0) * c - t));
                ra0 = f ((A + 1.0) + (A - 1.0) * c + t);
                ra1 = f (-2.0 * ((A - 1.0) + (A + 1.0) * c));
                ra2 = f ((A + 1.0) + (A - 1.0) * c - t);
                break;
            default:
                rb0 = f (A * ((A + 1.0) + (A - 1.0) * c + t));
                rb1 = f (-2.0 * A * ((A - 1.0) + (A + 1.0) * c));
                rb2 = f (A * ((A + 1.0) + (A - 1.0) * c - t));
                ra0 = f ((A + 1.0) - (A - 1.0) * c + t);
                ra1 = f (2.0 * ((A - 1.0) - (A + 1.0) * c));
                ra2 = f ((A + 1.0) - (A - 1.0) * c - t);
                break;
        }
    }
    else
    {
        ra0 = 1.0 + alpha;
        ra1 = -2.0 * c;
        ra2 = 1.0 - alpha;

        switch (type)
        {
            case 0:  rb0 = (1.0 - c) / 2.0;  rb1 = 1.0 - c;     rb2 = (1.0 - c) / 2.0;  break;
            case 1:  rb0 = (1.0 + c) / 2.0;  rb1 = -(1.0 + c);  rb2 = (1.0 + c) / 2.0;  break;
            case 2:  rb0 = s / 2.0;          rb1 = 0.0;         rb2 = -s / 2.0;         break;
            case 3:  rb0 = alpha;            rb1 = 0.0;         rb2 = -alpha;           break;
            case 4:  rb0 = 1.0;              rb1 = -2.0 * c;    rb2 = 1.0;              break;
            case 5:  rb0 = 1.0 - alpha;      rb1 = -2.0 * c;    rb2 = 1.0 + alpha;      break;
            default: ra0 = 1.0; ra1 = 0.0; ra2 = 0.0; break; // no such type: pass through
        }
    }

    b0 = (float) (rb0 / ra0);
    b1 = (float) (rb1 / ra0);
    b2 = (float) (rb2 / ra0);
    a1 = (float) (ra1 / ra0);
    a2 = (float) (ra2 / ra0);
}
