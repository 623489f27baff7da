#pragma once

#include <btBulletCollisionCommon.h>

#include <string>

class BulletDemo;

// Set by every reported contact point; cleared at the start of each contact check.
extern bool contactFound;

// Receives the contact points of one pair test of the player's contact check.
struct MyContactResultCallback : public btCollisionWorld::ContactResultCallback {
    static constexpr btScalar contactMargin = 0.02f;

    explicit MyContactResultCallback(BulletDemo* owner);

    // Prints "COLLISION WITH DYNAMIC" while the dynamic list is tested, then
    // raises contactFound. The result is ignored by the library.
    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* object0, int partId0,
                             int index0, const btCollisionObjectWrapper* object1, int partId1,
                             int index1) override;

    BulletDemo* owner = nullptr;
    std::string tag; // "WIN", "LOOSE", "geht nicht" or "dynamic"
};
