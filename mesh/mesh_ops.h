// mesh_ops.h - the 32 mesh operators reached through `functio`, one signature each: (mesh, value).
//
// Transforms (0..18) act about the world origin (except `scalece` and `trans2`) on the selection
// that holds when they start; selection operators (19..26) ignore their value; the topology
// operators (27..31) change quads and vertices in an order later picks rely on.
#pragma once

#include "mesh/quad_mesh.h"

//-----------------------------------------------------------------------------
// Transforms
//-----------------------------------------------------------------------------

void scale1(QuadMesh& m, float v);  // x of every vertex times v
void scale2(QuadMesh& m, float v);  // y of every vertex
void scale3(QuadMesh& m, float v);  // z of every vertex
void scale4(QuadMesh& m, float v);  // x, y, z of every vertex
void scale5(QuadMesh& m, float v);  // x of every selected vertex
void scale6(QuadMesh& m, float v);  // y of every selected vertex
void scale7(QuadMesh& m, float v);  // z of every selected vertex
void scale8(QuadMesh& m, float v);  // x, y, z of every selected vertex
void scalece(QuadMesh& m, float v); // each selected quad scaled about its own centroid
void trans1(QuadMesh& m, float v);  // v added to x of every vertex
void transy(QuadMesh& m, float v);  // v added to y of every vertex
void trans3(QuadMesh& m, float v);  // v added to z of every vertex
void trans4(QuadMesh& m, float v);  // v added to x of every selected vertex
void trans5(QuadMesh& m, float v);  // v added to y of every selected vertex
void trans6(QuadMesh& m, float v);  // v added to z of every selected vertex
void trans2(QuadMesh& m, float v);  // corners of each selected quad moved along its normal times v
void rotate1(QuadMesh& m, float v); // selected vertices turned about X by v x 22.5 degrees
void rotate2(QuadMesh& m, float v); // about Y
void rotate3(QuadMesh& m, float v); // about Z

//-----------------------------------------------------------------------------
// Selection
//-----------------------------------------------------------------------------

void select1(QuadMesh& m, float v); // select all quads
void select2(QuadMesh& m, float v); // deselect all; referenceQuad = -1
void select3(QuadMesh& m, float v); // invert the selection; referenceQuad = -1
void select4(QuadMesh& m, float v); // grow the selection by one ring of vertex neighbours
void select5(QuadMesh& m, float v); // replace the selection by that ring
void select6(QuadMesh& m, float v); // add quads whose centroid lies in referenceQuad's X extent
void select7(QuadMesh& m, float v); // same along Y
void select8(QuadMesh& m, float v); // same along Z

//-----------------------------------------------------------------------------
// Topology
//-----------------------------------------------------------------------------

void subd(QuadMesh& m, float v);    // linear subdivision, every quad into four
void smoooth(QuadMesh& m, float v); // Catmull-Clark subdivision, every quad into four
void addquad(QuadMesh& m, float v); // extrude every selected quad: cap plus four sides
void delQuad(QuadMesh& m, float v); // delete every selected quad
void addcube(QuadMesh& m, float v); // append the 2x2x2 cube, its six quads selected
