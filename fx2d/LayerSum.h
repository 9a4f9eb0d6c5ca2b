// Several copies of full-window layers, each with its own alpha and zoom about
// the layers' pivot, added over what the target holds in one pass of one
// fragment program instead of one blended pass each. The blur pass puts its
// frame, its feedback picture and the seven zoomed feedback copies on screen
// this way: on a software renderer every full-window pass costs about as much
// as a third of a plain frame.
//
// The sum is the picture the same copies drawn one after another with blend
// mode 0 make: each copy is rounded to the 8 bits of the target before it is
// added, as a blended pass is, and the target's clamping at white is the
// same for one sum as for a chain of additions. Where the driver has no
// shading language, or a copy is not a plain picture filling the view, Draw
// answers false and the caller draws the copies pass by pass.
#ifndef HALVENOR_FX2D_LAYERSUM_H
#define HALVENOR_FX2D_LAYERSUM_H

class Layer2D;

class LayerSum {
public:
    // The blur pass's largest sum: frame, feedback and seven zoomed copies.
    static constexpr int kMaxCopies = 9;
    // Different textures a sum may read (the frame's and the feedback's).
    static constexpr int kMaxTextures = 2;

    struct Copy {
        const Layer2D* layer;
        float alpha;
        // Zoom about the layer's pivot, as the layer's scaleX and scaleY.
        float scale;
    };

    // Off, every Draw answers false: the pass-by-pass drawing, for drivers
    // that need it and for comparing both.
    static void SetEnabled(bool enabled);
    static bool IsEnabled();

    // Adds the copies over the target as blend mode 0 would, with the 2D
    // projection of a view of viewWidth x viewHeight loaded, and leaves the
    // state (the last copy's zoomed view, colour, texture and switches) that
    // drawing the copies one by one with Layer2D::Draw leaves. False, with
    // nothing drawn, when the sum cannot be drawn in one pass: the copies
    // are then the caller's to draw one by one. The layers are not changed.
    static bool Draw(const Copy* copies, int count, float viewWidth, float viewHeight);

    // Whether this context's driver can draw sums (it compiles the program
    // on first use); false also while disabled.
    static bool IsAvailable();
};

#endif
