#pragma once

#include <btBulletDynamicsCommon.h>

#include <string>

// Every body the game creates: a rigid body that knows its object's name.
ATTRIBUTE_ALIGNED16(class) RigidBody : public btRigidBody
{
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    RigidBody(const btRigidBodyConstructionInfo& info, std::string name) : btRigidBody(info), name(std::move(name)) {}
    ~RigidBody() override = default;

    std::string name;
};
