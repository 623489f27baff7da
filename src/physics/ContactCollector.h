#pragma once

#include <btBulletCollisionCommon.h>

// Receives the contact points of the pair tests of one contact check of the
// player: `found` says whether any test since the collector was made reported
// a point within the ground margin, `touched` whether one reported a point
// where the bodies touch or overlap (distance <= 0), or one within the margin
// beside the other body (a normal closer to level than to upright).
struct ContactCollector : public btCollisionWorld::ContactResultCallback {
    static constexpr btScalar contactMargin = 0.02f;

    ContactCollector();

    // Prints "COLLISION WITH DYNAMIC" when `printsContacts` (while the dynamic
    // list is tested), then raises `found` (and `touched`). The result is
    // ignored by the library.
    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* object0, int partId0, int index0,
                             const btCollisionObjectWrapper* object1, int partId1, int index1) override;

    bool found = false;
    bool touched = false;
    bool printsContacts = false;
};
