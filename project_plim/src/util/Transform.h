#pragma once
// Software versions of the OpenGL matrix operations: each multiplies m on the
// right, exactly as glTranslatef, glScalef and glRotatef do to the current
// matrix, so transforms can be built and tested without a GL context.
#include "Matrix.h"

void translateMatrix(Matrix& m, float x, float y, float z);
void scaleMatrix(Matrix& m, float x, float y, float z);
// Rotations about one axis; the angle is in degrees, as glRotatef takes it.
void rotateMatrixX(Matrix& m, float degrees);
void rotateMatrixY(Matrix& m, float degrees);
void rotateMatrixZ(Matrix& m, float degrees);
