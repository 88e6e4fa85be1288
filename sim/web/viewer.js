// arx-sim's viewer: the arm drawn from the snapshot the simulator streams
// (/events), its numbers beside it, and the controls that post back.
import * as THREE from './build/three.module.js';
import { OrbitControls } from './OrbitControls.js';
import { JointPlot, jointColour } from './plot.js';

const kArmColour = 0xe07020;    // the links: the browser test looks for this colour
const kJointColour = 0x455a64;
const kTraceColour = 0xc2185b;
const kTracePoints = 20000;     // minutes of motion at the event rate
const kTraceStepMm = 0.2;       // a standing tool adds no points
const kLinkRadiusMm = 28;

const $ = (id) => document.getElementById(id);

// ---- the 3D view -------------------------------------------------------

const canvas = $('scene');
// Without WebGL the numbers still show; the view says why it stays empty.
let renderer = null;
try {
  renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
  renderer.setPixelRatio(window.devicePixelRatio);
} catch (error) {
  $('legend').textContent = `no 3D view: ${error.message}`;
}
const scene = new THREE.Scene();
scene.background = new THREE.Color(0xf4f4f2);
const camera = new THREE.PerspectiveCamera(45, 1, 5, 20000);
camera.up.set(0, 0, 1);  // the controller's z is up
camera.position.set(650, -850, 650);
const controls = new OrbitControls(camera, canvas);
controls.target.set(-100, 0, 280);
controls.update();
controls.addEventListener('change', render);

scene.add(new THREE.HemisphereLight(0xffffff, 0x888888, 0.9));
const sun = new THREE.DirectionalLight(0xffffff, 0.6);
sun.position.set(500, -800, 1500);
scene.add(sun);

const floor = new THREE.GridHelper(2000, 20, 0x999999, 0xcccccc);
floor.rotation.x = Math.PI / 2;  // the grid in the x-y plane
scene.add(floor);
scene.add(new THREE.AxesHelper(300));  // the base frame

function frameAxes(size) {
  const axes = new THREE.AxesHelper(size);
  axes.matrixAutoUpdate = false;
  scene.add(axes);
  return axes;
}
const toolAxes = frameAxes(90);
const workAxes = frameAxes(140);

function place(object, frame) {
  const v = (a) => new THREE.Vector3(a[0], a[1], a[2]);
  object.matrix.makeBasis(v(frame.x), v(frame.y), v(frame.z)).setPosition(v(frame.origin));
  object.matrixWorldNeedsUpdate = true;
}

const linkMaterial = new THREE.MeshLambertMaterial({ color: kArmColour });
const jointMaterial = new THREE.MeshLambertMaterial({ color: kJointColour });
const unitCylinder = new THREE.CylinderGeometry(1, 1, 1, 24);
let links = [];   // one cylinder per segment of the chain's line
let joints = [];  // one drum per joint, along its axis

// Segments of the chain line shorter than this are not drawn (offsets of 0).
const kShortestLinkMm = 1;
const yAxis = new THREE.Vector3(0, 1, 0);

function stretch(mesh, a, b, radius) {
  const from = new THREE.Vector3(...a), to = new THREE.Vector3(...b);
  const along = to.clone().sub(from);
  const length = along.length();
  mesh.visible = length >= kShortestLinkMm;
  if (!mesh.visible) return;
  mesh.position.copy(from).add(to).multiplyScalar(0.5);
  mesh.quaternion.setFromUnitVectors(yAxis, along.divideScalar(length));
  mesh.scale.set(radius, length, radius);
}

function drawArm(state) {
  if (links.length !== state.links.length - 1) {
    for (const m of [...links, ...joints]) scene.remove(m);
    const mesh = (material) => {
      const m = new THREE.Mesh(unitCylinder, material);
      scene.add(m);
      return m;
    };
    links = state.links.slice(1).map(() => mesh(linkMaterial));
    joints = state.frames.slice(0, -1).map(() => {
      const drum = mesh(jointMaterial);
      drum.matrixAutoUpdate = false;
      return drum;
    });
  }
  for (let i = 0; i < links.length; ++i) stretch(links[i], state.links[i], state.links[i + 1], kLinkRadiusMm);
  // Joint i turns about the z axis of the frame it moves (frames[i + 1]).
  joints.forEach((drum, i) => {
    const f = state.frames[i + 1];
    place(drum, f);
    drum.matrix.multiply(new THREE.Matrix4().makeRotationX(Math.PI / 2)).scale(new THREE.Vector3(40, 90, 40));
  });
  place(toolAxes, state.tool.frame);
  place(workAxes, state.work.frame);
}

// The tool's path: points appended while it moves.
const tracePositions = new Float32Array(kTracePoints * 3);
const traceGeometry = new THREE.BufferGeometry();
traceGeometry.setAttribute('position', new THREE.BufferAttribute(tracePositions, 3));
traceGeometry.setDrawRange(0, 0);
const trace = new THREE.Line(traceGeometry, new THREE.LineBasicMaterial({ color: kTraceColour }));
trace.frustumCulled = false;
scene.add(trace);
let traceCount = 0;

function addTracePoint(p) {
  if (traceCount > 0) {
    const i = (traceCount - 1) * 3;
    const gap = Math.hypot(p[0] - tracePositions[i], p[1] - tracePositions[i + 1], p[2] - tracePositions[i + 2]);
    if (gap < kTraceStepMm) return;
  }
  if (traceCount === kTracePoints) {  // the oldest half goes
    tracePositions.copyWithin(0, (kTracePoints / 2) * 3);
    traceCount = kTracePoints / 2;
  }
  tracePositions.set(p, traceCount * 3);
  ++traceCount;
  traceGeometry.setDrawRange(0, traceCount);
  traceGeometry.attributes.position.needsUpdate = true;
}

function clearTrace() {
  traceCount = 0;
  traceGeometry.setDrawRange(0, 0);
  render();
}

function resize() {
  const w = canvas.clientWidth, h = canvas.clientHeight;
  if (canvas.width !== w * renderer.getPixelRatio() || canvas.height !== h * renderer.getPixelRatio()) {
    renderer.setSize(w, h, false);
    camera.aspect = w / h;
    camera.updateProjectionMatrix();
  }
}

function render() {
  if (!renderer) return;
  resize();
  renderer.render(scene, camera);
}
window.addEventListener('resize', render);

// ---- the numbers -------------------------------------------------------

const plot = new JointPlot($('plot'), 10);
const fixed = (v, digits) => Number(v).toFixed(digits);

function rows(table, cells) {
  if (table.rows.length !== cells.length) table.innerHTML = cells.map(() => '<tr><th></th><td></td></tr>').join('');
  cells.forEach(([name, value], i) => {
    table.rows[i].cells[0].innerHTML = name;
    table.rows[i].cells[1].textContent = value;
  });
}

const bits = (values) => values.map((v) => `<span class="bit${v ? ' on' : ''}"></span>`).join('');

function showNumbers(state) {
  $('model').textContent = `model ${state.model}`;
  rows($('joints'), state.joints.map((v, i) =>
    [`<span style="color:${jointColour(i)}">■</span> joint ${i + 1}`, fixed(v, 2)]));
  const names = ['x mm', 'y mm', 'z mm', 'rx °', 'ry °', 'rz °'];
  rows($('pose'), state.pose.map((v, i) => [names[i], fixed(v, 2)]));
  $('tool-name').textContent = `${state.tool.name} (work frame ${state.work.name})`;
  const io = state.io;
  $('io').innerHTML = `
    <tr><th>digital out</th><td>${bits(io.digital_out)}</td></tr>
    <tr><th>digital in</th><td>${bits(io.digital_in)}</td></tr>
    <tr><th>analog out V</th><td>${io.analog_out.map((v) => fixed(v, 2)).join(' ')}</td></tr>
    <tr><th>analog in V</th><td>${io.analog_in.map((v) => fixed(v, 2)).join(' ')}</td></tr>
    <tr><th>tool out</th><td>${bits(io.tool_out)} · tool voltage code ${io.tool_voltage}</td></tr>`;
  $('devices').textContent = `gripper ${fixed(state.gripper, 0)} of 1000 open · lift ${fixed(state.lift, 1)} mm · ` +
    `moving ${state.moving}${state.paused ? ' (paused)' : ''} · last move ${state.trajectory}`;
  $('clients').textContent = `${state.clients} connected`;
  const faults = Object.entries(state.faults);
  $('faults').innerHTML = faults.length ? faults.map(([word, fault]) =>
    `<li><code>${html(word)}</code> = ${html(fault)}<button data-word="${html(word)}">clear</button></li>`).join('')
    : '<li>none armed</li>';
  const log = $('log');
  const atEnd = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
  log.textContent = state.log.join('\n');
  if (atEnd) log.scrollTop = log.scrollHeight;
}

function html(text) {
  return String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

// ---- the stream --------------------------------------------------------

// What the page last showed, for whoever drives it (the browser test).
window.arxViewer = { state: null, events: 0 };

function show(state) {
  window.arxViewer.state = state;
  ++window.arxViewer.events;
  drawArm(state);
  addTracePoint(state.tool.frame.origin);
  showNumbers(state);
  const now = performance.now();
  plot.add(now, state.joints);
  plot.draw(now);
  render();
}

function connect() {
  const events = new EventSource('events');
  events.onopen = () => { $('connection').textContent = 'live'; $('connection').className = 'on'; };
  events.onerror = () => { $('connection').textContent = 'reconnecting'; $('connection').className = 'off'; };
  events.onmessage = (message) => show(JSON.parse(message.data));
}

// ---- the controls ------------------------------------------------------

async function post(path, fields) {
  const response = await fetch(path, { method: 'POST', body: new URLSearchParams(fields) });
  return response.ok;
}

$('stop').addEventListener('click', () => post('stop', {}));
$('clear-trace').addEventListener('click', clearTrace);
$('fault-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const ms = $('fault-ms').value;
  const fault = $('fault-kind').value + (ms ? `:${ms}` : '');
  post('fault', { word: $('fault-word').value.trim(), fault });
});
$('faults').addEventListener('click', (event) => {
  const word = event.target.dataset && event.target.dataset.word;
  if (word) post('fault', { word, fault: 'none' });
});

fetch('words').then((r) => r.json()).then((words) => {
  $('words').innerHTML = ['*', ...words].map((w) => `<option value="${html(w)}">`).join('');
}).catch(() => {});

render();
connect();
