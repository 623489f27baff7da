#include "physics/MyContactResultCallback.h"

#include <iostream>

bool contactFound = false;

MyContactResultCallback::MyContactResultCallback(BulletDemo* owner) : owner(owner)
{
    m_collisionFilterGroup = 1;
    m_collisionFilterMask = -1;
}

btScalar MyContactResultCallback::addSingleResult(btManifoldPoint& /*point*/,
                                                  const btCollisionObjectWrapper* /*object0*/, int /*partId0*/,
                                                  int /*index0*/, const btCollisionObjectWrapper* /*object1*/,
                                                  int /*partId1*/, int /*index1*/)
{
    if (tag.compare(0, 7, "dynamic") == 0)
        std::cout << "COLLISION WITH DYNAMIC\n";
    contactFound = true;
    return 0.0f;
}
