# The level guide's walk-through level made in Blender and exported with
# Blender's own Collada defaults (Z up, the scene's unit, textures copied
# beside the file), as a level maker would:
#
#   blender -b --factory-startup --python tools/blender/make_levels.py -- OUT_DIR
#
# writes into OUT_DIR:
#   walk.dae     the walk-through in metres: a floor, a beacon 8 m ahead
#                (Blender's +Y, the game's -Z), the player, a lamp, camera1
#                behind the player looking at camera1_aim;
#   walk_cm.dae  the same level modelled in centimetres (unit scale 0.01);
#   walk_quads.dae  the walk-through exported with its faces as modelled
#                (quadrilaterals in <polylist>s, "triangulate" off);
#   lift.dae     the walk-through with a lift (Floor_lift_Anim) that rises and
#                falls, key framed in Blender;
#   skinned.dae  the walk-through with a statue skinned to a one-bone armature
#                (the game refuses skinned meshes);
#   stone.png    the texture they share, made here.
#
# scripts/make-blender-levels.sh runs it into tests/data/blender/.

import os
import sys

import bpy

out = sys.argv[sys.argv.index("--") + 1]
os.makedirs(out, exist_ok=True)


def new_scene(metres_per_unit):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    units = bpy.context.scene.unit_settings
    units.system = "METRIC"
    units.scale_length = metres_per_unit


def stone_material():
    path = os.path.join(out, "stone.png")
    if not os.path.exists(path):
        image = bpy.data.images.new("stone", 64, 64)
        pixels = []
        for y in range(64):
            for x in range(64):
                grey = 0.45 + 0.15 * (((x // 8) + (y // 8)) % 2)
                pixels += [grey, grey * 0.95, grey * 0.85, 1.0]
        image.pixels = pixels
        image.filepath_raw = path
        image.file_format = "PNG"
        image.save()
    material = bpy.data.materials.new("stone")
    material.use_nodes = True
    nodes = material.node_tree.nodes
    texture = nodes.new("ShaderNodeTexImage")
    texture.image = bpy.data.images.load(path, check_existing=True)
    material.node_tree.links.new(texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"])
    return material


def cube(name, location, size, material):
    bpy.ops.mesh.primitive_cube_add(size=1, location=location)
    made = bpy.context.object
    made.name = name
    made.data.name = name + "-mesh"
    made.scale = size
    made.data.materials.append(material)
    return made


def empty(name, location):
    bpy.ops.object.empty_add(location=location)
    bpy.context.object.name = name


# The guide's level turned half a turn, in Blender's axes: x right, y ahead,
# z up; `u` units to the metre.
def walk_through(u):
    stone = stone_material()
    cube("Floor_ground", (0, 4 * u, -0.5 * u), (12 * u, 16 * u, 1 * u), stone)
    cube("beacon_win", (0, 8 * u, 0.5 * u), (u, u, u), stone)
    cube("player", (0, 0, u), (u, u, u), stone)
    bpy.ops.object.light_add(type="POINT", location=(0, 4 * u, 5 * u))
    bpy.context.object.name = "lamp1"
    bpy.context.object.data.energy = 1000
    bpy.ops.object.camera_add(location=(0, -6 * u, 6 * u))
    bpy.context.object.name = "camera1"
    empty("camera1_aim", (0, 6 * u, 0))
    empty("camera1_up", (0, 0, u))
    return stone


def export(name, **settings):
    bpy.ops.wm.collada_export(filepath=os.path.join(out, name), **settings)


new_scene(1.0)
walk_through(1)
export("walk.dae")
export("walk_quads.dae", triangulate=False)

new_scene(0.01)
walk_through(100)
export("walk_cm.dae")

new_scene(1.0)
stone = walk_through(1)
lift = cube("Floor_lift_Anim", (3, 2, 0.1), (2, 2, 0.2), stone)
for frame, height in ((1, 0.1), (49, 2.1), (97, 0.1)):
    lift.location.z = height
    lift.keyframe_insert(data_path="location", index=2, frame=frame)
export("lift.dae")

new_scene(1.0)
stone = walk_through(1)
statue = cube("statue", (-3, 4, 1), (1, 1, 2), stone)
bpy.ops.object.armature_add(location=(-3, 4, 0))
rig = bpy.context.object
rig.name = "statue_rig"
statue.select_set(True)
rig.select_set(True)
bpy.context.view_layer.objects.active = rig
bpy.ops.object.parent_set(type="ARMATURE_AUTO")
export("skinned.dae")
