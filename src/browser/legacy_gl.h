// The browser layer's legacy OpenGL, beyond the names OpenGL and GLU give it.
#pragma once

// Makes again, in the context the browser has given back, everything the one it took away
// held: the state the demo set, the program, each list's vertex buffer and the texture
// under the demo's name with its parameters and last image.
void RemakeLostGraphics();
