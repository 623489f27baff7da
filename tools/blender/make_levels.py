# The level guide's walk-through made in Blender and exported with its Collada
# defaults (Z up, the scene's unit, textures copied beside the file), as a level
# maker would; rewrites the test levels (commit what changes) with
#   blender -b --factory-startup --python-exit-code 1 --python tools/blender/make_levels.py -- tests/data/blender
# walk.dae: a floor, a beacon 8 m ahead (Blender's +Y, the game's -Z), the
# player, a lamp, camera1 behind the player looking at camera1_aim; the same
# with its faces as modelled (<polylist>s) as walk_quads.dae, in centimetres as
# walk_cm.dae, with a key-framed lift as lift.dae, with a skinned statue as skinned.dae.

import os
import sys

import bpy

out = sys.argv[sys.argv.index("--") + 1]
os.makedirs(out, exist_ok=True)


def add(operator, name, location, **settings):
    operator(location=location, **settings)
    bpy.context.object.name = name
    return bpy.context.object


def cube(name, location, size, material):
    made = add(bpy.ops.mesh.primitive_cube_add, name, location, size=1)
    made.data.name = name + "-mesh"
    made.scale = size
    made.data.materials.append(material)
    return made


def stone():
    path = os.path.join(os.path.dirname(__file__), "../../tests/data/levels/textures/checker_diffuse.png")
    material = bpy.data.materials.new("stone")
    material.use_nodes = True
    nodes = material.node_tree.nodes
    texture = nodes.new("ShaderNodeTexImage")
    texture.image = bpy.data.images.load(os.path.abspath(path), check_existing=True)
    material.node_tree.links.new(texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"])
    return material


# A new scene of `u` units to the metre holding the guide's level turned half
# round, in Blender's axes (x right, y ahead, z up); returns its material.
def walk_through(u=1):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.context.scene.unit_settings.scale_length = 1 / u
    material = stone()
    cube("Floor_ground", (0, 4 * u, -0.5 * u), (12 * u, 16 * u, u), material)
    cube("beacon_win", (0, 8 * u, 0.5 * u), (u, u, u), material)
    cube("player", (0, 0, u), (u, u, u), material)
    add(bpy.ops.object.light_add, "lamp1", (0, 4 * u, 5 * u), type="POINT").data.energy = 1000
    add(bpy.ops.object.camera_add, "camera1", (0, -6 * u, 6 * u))
    add(bpy.ops.object.empty_add, "camera1_aim", (0, 6 * u, 0))
    add(bpy.ops.object.empty_add, "camera1_up", (0, 0, u))
    return material


def export(name, **settings):
    bpy.ops.wm.collada_export(filepath=os.path.join(out, name), **settings)


walk_through()
export("walk.dae")
export("walk_quads.dae", triangulate=False)

walk_through(100)
export("walk_cm.dae")

lift = cube("Floor_lift_Anim", (3, 2, 0.1), (2, 2, 0.2), walk_through())
for frame, height in ((1, 0.1), (49, 2.1), (97, 0.1)):
    lift.location.z = height
    lift.keyframe_insert(data_path="location", index=2, frame=frame)
export("lift.dae")

statue = cube("statue", (-3, 4, 1), (1, 1, 2), walk_through())
rig = add(bpy.ops.object.armature_add, "statue_rig", (-3, 4, 0))
statue.select_set(True)
bpy.context.view_layer.objects.active = rig
bpy.ops.object.parent_set(type="ARMATURE_AUTO")
export("skinned.dae")
