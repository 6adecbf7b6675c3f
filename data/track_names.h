// track_names.h - what each keyframe track of the show moves (data/tracks.cpp holds the keys). The edit
// mode shows each track by its name here (trackNames in data/scene_data.h).
#pragma once

#include "base/enum_names.h"

// clang-format off
QZ_NAMED_ENUM(TrackId, int,
    kTrackGiven = 0,     // out to (60, 20, 0), a hold, back to the origin
    kTrackDropIntro = 1, // x: transition factor of the drop (a quick punch); y, z: the intro's camera
    kTrackBuildFade = 2, // x: transition factor of the build, out of a pale wash
    kTrackFinaleFade = 3, // x: transition factor of the finale: in from white, most of the way back to white at the end
    kTrackMarksA = 4,       // x, y, z: alphas of the first three highlight marks of the intro
    kTrackMarksB = 5,       // x, y, z: alphas of the next three
    kTrackMarksC = 6,       // x, y: alphas of the last two; z: the intro's background lightening
    kTrackHitBars = 7,      // x, y: the yellow bars of the hit; the climax: flashes, camera swing, zoom
    kTrackHitZoom = 8,      // y: lattice scale of the hit (read at scale 10); x: the bridge's fade
    kTrackFieldEye = 9,     // the camera eye over the first floppy field
    kTrackPanelSlide = 10,  // x, y: centre of the panel-pieces sprite of the drop; x: swing of the bridge
    kTrackPanelScale = 11,  // x, y: its scale (and, at three quarters, the climax panel's)
    kTrackDiskHalves = 12,  // y: height of the floppy's front faces; z: half the gap to the back faces
    kTrackCreditsRise = 13, // position of the credits panel (x never below 2: drop two cuts in hard)
    kTrackBandSlide = 14,   // x: the breakdown's fade; y, z: centre of its zig-zag band sprite
    kTrackCaptionReveal = 15, // x: the rise's fade; y: bottom of the caption's source rectangle; z: its centre y
    kTrackTowerRise = 16,     // y: height of the columns of the rise
    kTrackClosingPanel = 17,  // x, y: scale of the closing panel
);
// clang-format on
