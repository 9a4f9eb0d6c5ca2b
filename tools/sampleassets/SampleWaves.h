// The waves and the envelope the sample's instruments are made of, for the
// show's music and for the tracker module's samples alike.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEWAVES_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEWAVES_H

namespace SampleAssets {

// Equal temperament, A4 (MIDI note 69) at 440 Hz.
double NoteFrequency(int midiNote);
// Band-limited saw from its first harmonics; phase in cycles.
double Saw(double phase, int harmonics);
// A triangle from its first three odd harmonics; phase in cycles.
double Triangle(double phase);
// A linear rise over attack seconds, then an exponential fall.
double Pluck(double t, double attack, double decay);

}  // namespace SampleAssets

#endif
