#include "physics/BulletDemo.h"

#include "render/MenuScreen.h"
#include "scene/PlayerObject.h"

// Apart from the rest of BulletDemo because touching PlayerObject's fields
// needs its type information under the sanitizers, and the unit tests of the
// physics owner link without the player.
void BulletDemo::checkPlayerContacts(btRigidBody* playerBody, PlayerObject* player)
{
    const PlayerContacts contacts = findPlayerContacts(playerBody);
    if (player)
        applyPlayerContacts(contacts, player->grounded, player->menu);
}
