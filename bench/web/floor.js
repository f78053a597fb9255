// The browser's floor of the frame benchmark: the first demo map on the textured sphere in the
// viewer's default view and nothing else, in plain WebGL 1, one frame per animation frame. The
// sphere's vertices are uploaded once; a frame clears colour and depth and draws them.
//   floor.html?map=URL   (default: the demo's day map, ../demo/earth.bmp)
// Two parts of the viewer's frame can be added, to measure what each costs:
//   &triangles   the sphere as separate triangles, each quad's two (15552 vertices, as the viewer's
//                GL subset assembles gluSphere's quad strips), instead of one strip
//   &shader      the GL subset's program for a decal texture (four-component position, colour and
//                texture coordinates, the texture coordinates divided by q in every fragment);
//                &shader=lean the same interpolating only the colour's alpha and s, t, q
// window.floor counts the animation frames and the frames drawn.
'use strict';

(function () {
  const floor = window.floor = {animationFrames: 0, framesDrawn: 0, ready: false, error: ''};
  const canvas = document.getElementById('floor');
  // The viewer's canvas: RGB, depth, no antialiasing, the drawing buffer kept between frames.
  const gl = canvas.getContext('webgl', {alpha: false, depth: true, stencil: false, antialias: false,
                                         preserveDrawingBuffer: true});

  // ---- the sphere as gluSphere(20, 72, 36) issues it with texture coordinates -----------------

  const kRadius = 20, kSlices = 72, kStacks = 36;
  const options = new URLSearchParams(location.search);

  // One triangle strip per stack (a quad strip's vertices in its order: ring j + 1, then ring j),
  // joined into one strip by repeating the last and first vertices of neighbours.
  function sphereVertices() {
    const f = Math.fround;
    const sinAround = [], cosAround = [], ringRadius = [], ringHeight = [];
    for (let i = 0; i < kSlices; ++i) {
      const angle = f(2 * Math.PI * i / kSlices);
      sinAround.push(f(Math.sin(angle)));
      cosAround.push(f(Math.cos(angle)));
    }
    sinAround.push(sinAround[0]);
    cosAround.push(cosAround[0]);
    for (let j = 0; j <= kStacks; ++j) {
      const angle = f(Math.PI * j / kStacks);
      ringRadius.push(j === 0 || j === kStacks ? 0 : f(kRadius * Math.sin(angle)));
      ringHeight.push(f(kRadius * Math.cos(angle)));
    }
    const out = [];
    const vertex = (i, j) => out.push(ringRadius[j] * sinAround[i], ringRadius[j] * cosAround[i], ringHeight[j],
                                      1 - i / kSlices, 1 - j / kStacks);
    if (options.has('triangles')) {  // each quad (i, i + 1) x (j + 1, j) as two triangles
      for (let j = 0; j < kStacks; ++j) {
        for (let i = 0; i < kSlices; ++i) {
          for (const [a, b] of [[i, j + 1], [i, j], [i + 1, j], [i, j + 1], [i + 1, j], [i + 1, j + 1]]) vertex(a, b);
        }
      }
      return new Float32Array(out);
    }
    for (let j = 0; j < kStacks; ++j) {
      if (j > 0) vertex(0, j + 1);  // the join's second repeat
      for (let i = 0; i <= kSlices; ++i) {
        vertex(i, j + 1);
        vertex(i, j);
      }
      if (j < kStacks - 1) vertex(kSlices, j);  // the join's first repeat
    }
    return new Float32Array(out);
  }

  // ---- the default view's transform --------------------------------------------------------------

  // Column-major 4 x 4 products, in doubles as the viewer's matrix stack keeps them.
  function multiply(a, b) {
    const m = new Array(16).fill(0);
    for (let c = 0; c < 4; ++c)
      for (let r = 0; r < 4; ++r)
        for (let k = 0; k < 4; ++k) m[4 * c + r] += a[4 * k + r] * b[4 * c + k];
    return m;
  }
  const translation = (x, y, z) => [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1];
  function rotation(degrees, x, y, z) {  // about the x or the z axis
    const a = degrees * Math.PI / 180, c = Math.cos(a), s = Math.sin(a);
    return x ? [1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1] : [c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1];
  }
  function perspective(fovy, aspect, near, far) {  // gluPerspective
    const cot = 1 / Math.tan(fovy / 2 * Math.PI / 180), depth = far - near;
    return [cot / aspect, 0, 0, 0, 0, cot, 0, 0, 0, 0, -(far + near) / depth, -1, 0, 0, -2 * near * far / depth, 0];
  }

  // The first frame's view: the start field of view, the pointer at 510, 382 (latitude -90,
  // longitude -360), the viewer's 1024 x 768 layout for the aspect ratio.
  function defaultTransform() {
    const fov = Math.fround(0.5241), degToRad = Math.atan2(1, 1) / 45;
    const eye = Math.max(1, 20 / Math.sin(fov * degToRad / 2) - 20);
    const projection = perspective(fov + 0.11, 1024 / 768, eye - 0.7, eye + 25);
    let modelView = translation(0, 0, -eye - 20);
    modelView = multiply(modelView, rotation(101 - 382 / 2, 1, 0, 0));
    modelView = multiply(modelView, rotation(-(510 / 2) - 105, 0, 0, 1));
    return new Float32Array(multiply(projection, modelView));
  }

  // ---- GL -----------------------------------------------------------------------------------------

  // The GL subset's shaders (web/gl/draw.cpp) for a decal texture, its #defines applied.
  const kViewerVertex = `
    attribute vec4 position; attribute vec4 colour; attribute vec4 texCoord; uniform mat4 transform;
    varying vec4 fragmentColour; varying vec4 fragmentTexCoord;
    void main() { gl_Position = transform * position; fragmentColour = colour; fragmentTexCoord = texCoord; }`;
  const kViewerFragment = `
    precision highp float; varying vec4 fragmentColour; varying vec4 fragmentTexCoord; uniform sampler2D map;
    void main() {
      vec4 colour = fragmentColour;
      vec2 st = fragmentTexCoord.xy / fragmentTexCoord.w;
      vec4 texel = texture2D(map, st);
      colour.rgb = texel.rgb;
      gl_FragColor = colour;
    }`;

  // The same with fewer varyings: the texel's colour replaces the fragment's, so only the colour's
  // alpha and the texture coordinates s, t, q are interpolated (4 components instead of 8).
  const kLeanVertex = `
    attribute vec4 position; attribute vec4 colour; attribute vec4 texCoord; uniform mat4 transform;
    varying float fragmentAlpha; varying vec3 fragmentTexCoord;
    void main() { gl_Position = transform * position; fragmentAlpha = colour.a; fragmentTexCoord = texCoord.xyw; }`;
  const kLeanFragment = `
    precision highp float; varying float fragmentAlpha; varying vec3 fragmentTexCoord; uniform sampler2D map;
    void main() { gl_FragColor = vec4(texture2D(map, fragmentTexCoord.xy / fragmentTexCoord.z).rgb, fragmentAlpha); }`;

  function program() {
    const shader = (type, source) => {
      const s = gl.createShader(type);
      gl.shaderSource(s, source);
      gl.compileShader(s);
      return s;
    };
    const p = gl.createProgram();
    const viewer = options.has('shader'), lean = options.get('shader') === 'lean';
    gl.attachShader(p, shader(gl.VERTEX_SHADER, lean ? kLeanVertex : viewer ? kViewerVertex : `
      attribute vec3 position; attribute vec2 texCoord; uniform mat4 transform; varying vec2 st;
      void main() { st = texCoord; gl_Position = transform * vec4(position, 1.0); }`));
    gl.attachShader(p, shader(gl.FRAGMENT_SHADER, lean ? kLeanFragment : viewer ? kViewerFragment : `
      precision highp float; uniform sampler2D map; varying vec2 st;
      void main() { gl_FragColor = vec4(texture2D(map, st).rgb, 1.0); }`));  // decal: the texel's colour
    if (viewer) ['position', 'colour', 'texCoord'].forEach((name, k) => gl.bindAttribLocation(p, k, name));
    gl.linkProgram(p);
    if (!gl.getProgramParameter(p, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(p));
    return p;
  }

  // The map as the viewer uploads a BMP: its bottom row first, linear filtering, repeat wrapping.
  async function loadMap(url) {
    const picture = new Image();
    picture.src = url;
    await picture.decode();
    const texture = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, texture);
    gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, true);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, gl.RGB, gl.UNSIGNED_BYTE, picture);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.REPEAT);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.REPEAT);
  }

  async function start() {
    const p = program();
    gl.useProgram(p);
    const vertices = sphereVertices();
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STATIC_DRAW);
    const position = gl.getAttribLocation(p, 'position'), texCoord = gl.getAttribLocation(p, 'texCoord');
    gl.enableVertexAttribArray(position);
    gl.enableVertexAttribArray(texCoord);
    gl.vertexAttribPointer(position, 3, gl.FLOAT, false, 20, 0);
    gl.vertexAttribPointer(texCoord, 2, gl.FLOAT, false, 20, 12);
    gl.uniformMatrix4fv(gl.getUniformLocation(p, 'transform'), false, defaultTransform());
    gl.uniform1i(gl.getUniformLocation(p, 'map'), 0);
    const colour = gl.getAttribLocation(p, 'colour');
    if (colour >= 0) gl.vertexAttrib4f(colour, 1, 1, 1, 1);  // the current colour, as the subset sends it
    gl.enable(gl.DEPTH_TEST);
    gl.clearColor(0, 0, 0, 0);
    await loadMap(options.get('map') || '../demo/earth.bmp');
    const count = vertices.length / 5;

    function frame() {
      ++floor.animationFrames;
      gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
      gl.drawArrays(options.has('triangles') ? gl.TRIANGLES : gl.TRIANGLE_STRIP, 0, count);
      ++floor.framesDrawn;
      requestAnimationFrame(frame);
    }
    floor.ready = true;
    requestAnimationFrame(frame);
  }

  start().catch((error) => { floor.error = String(error); });
})();
