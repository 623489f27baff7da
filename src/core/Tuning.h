#pragma once

// The numbers that make the game play and look as it does, named once. The
// code and its tests read them from here.
namespace tuning {

// The player.
constexpr float walkSpeed = 5.0f;             // m/s on the ground, whatever the direction
constexpr float airSteerFactor = 0.3f;        // of the walking speed, for the one steer after a standing jump
constexpr float jumpSpeed = 6.0f;             // added to the vertical speed
constexpr float jumpRisingLimit = 1.0f;       // no jump while already rising this fast or faster
constexpr float headingGain = 10.0f;          // turn rate of the body (rad/s) per radian it is off the camera's heading
constexpr float eyeHeight = 1.3f;             // of the camera above the body's origin
constexpr double mousePixelsPerRadian = 60.0; // of mouse travel, at sensitivity 1
constexpr double padTurnPixelsPerSecond = 150.0; // the right stick at full tilt: 2.5 rad/s at sensitivity 1
constexpr float pitchLimit = 1.0f;               // radians up or down
constexpr float fallDepth = 10.0f;               // m below the level's lowest point, where a fall is a game over
// The walking directions and the camera's right vector are worked out from
// the heading less this, a hair short of a quarter turn.
constexpr double almostQuarterTurn = 1.57;

// The camera. The projection is given the angle 45, which it takes as radians:
// tan(22.5) makes the vertical field of view 58.3 degrees. This is that angle.
constexpr float verticalFieldOfView = 1.0177028f;

// Lights. The lit program receives a light's power times this; a light of
// the level file takes ten times its ambient colour.
constexpr float lightPowerScale = 4.0f;
constexpr float fileLightColourScale = 10.0f;
// A light written as an editor's watts (1000 for Blender's default point
// light) gets this power for each watt: 1 / (16 pi^2). A white wall far from
// the light then gets what a physically based renderer gives it,
// watts / (4 pi^2 d^2), against the game's 4 x power / (1 + d^2).
constexpr float powerPerWatt = 0.0063326f;
// A light whose editor lets it shine undimmed at any distance (no linear or
// quadratic falloff: 3ds Max's and Maya's "no decay", or a bare colour) gets
// this power for each unit of its brightest channel: a white one lights like
// the level guide's lamp.
constexpr float steadyLightPower = 10.0f;
// The light keys (U, J, H, K, L, O) move the first light this far each physics step.
constexpr double lightKeyStep = 0.1;

} // namespace tuning
