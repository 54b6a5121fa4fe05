#include <benchmark/benchmark.h>

#include <juce_events/juce_events.h>

// The processors register with the shared table and post change messages, so
// the benchmarks run inside a JUCE runtime like the tests do.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
