#include "physics/ContactCollector.h"

#include <cmath>
#include <iostream>

ContactCollector::ContactCollector()
{
    m_collisionFilterGroup = 1;
    m_collisionFilterMask = -1;
    // The solver keeps a body resting on the ground at a distance of about 0,
    // often a hair above it, and a pair test with no margin then reports no
    // contact at all: the player would count as airborne while standing or
    // walking. Points within 2 cm of touching count as ground; winning and
    // losing take a real touch (see `touched`).
    m_closestDistanceThreshold = contactMargin;
}

btScalar ContactCollector::addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* /*object0*/,
                                           int /*partId0*/, int /*index0*/, const btCollisionObjectWrapper* /*object1*/,
                                           int /*partId1*/, int /*index1*/)
{
    if (printsContacts)
        std::cout << "COLLISION WITH DYNAMIC\n";
    found = true;
    // A body pressed against a wall by its walk may rest a hair off it; one
    // within the margin of its top only stands near it.
    const bool beside = std::fabs(point.m_normalWorldOnB.y()) < 0.5f;
    touched = touched || point.getDistance() <= 0.0f || beside;
    return 0.0f;
}
