#pragma once

#include <btBulletDynamicsCommon.h>

#include <string>

// Every body the game creates: a rigid body that knows its object's name.
ATTRIBUTE_ALIGNED16(class) MyRigidBody : public btRigidBody {
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    MyRigidBody(const btRigidBodyConstructionInfo& info, std::string name)
        : btRigidBody(info), name(std::move(name)) {}
    ~MyRigidBody() override = default;

    std::string name;
};
