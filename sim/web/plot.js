// A small canvas plot of the joints over a sliding window of time.

const kColours = ['#e53935', '#fb8c00', '#fdd835', '#43a047', '#1e88e5', '#8e24aa', '#6d4c41'];

export class JointPlot {
  constructor(canvas, windowSeconds) {
    this.canvas = canvas;
    this.windowMs = windowSeconds * 1000;
    this.samples = [];  // {t, joints}
  }

  add(timeMs, joints) {
    this.samples.push({ t: timeMs, joints: joints.slice() });
    const oldest = timeMs - this.windowMs;
    while (this.samples.length > 2 && this.samples[1].t < oldest) this.samples.shift();
  }

  draw(nowMs) {
    const c = this.canvas.getContext('2d');
    const w = this.canvas.width, h = this.canvas.height;
    const left = 34, bottom = h - 14, top = 6, right = w - 4;
    c.clearRect(0, 0, w, h);
    if (this.samples.length === 0) return;
    // The vertical range follows the values, in steps of 30 degrees.
    let lo = Infinity, hi = -Infinity;
    for (const s of this.samples) for (const v of s.joints) { lo = Math.min(lo, v); hi = Math.max(hi, v); }
    lo = Math.floor(lo / 30) * 30 - 30;
    hi = Math.ceil(hi / 30) * 30 + 30;
    const x = (t) => left + (right - left) * (1 - (nowMs - t) / this.windowMs);
    const y = (v) => bottom - (bottom - top) * (v - lo) / (hi - lo);
    c.font = '10px sans-serif';
    c.fillStyle = '#777';
    c.strokeStyle = '#eee';
    c.lineWidth = 1;
    const step = (hi - lo) > 240 ? 90 : 30;
    for (let v = Math.ceil(lo / step) * step; v <= hi; v += step) {
      c.beginPath(); c.moveTo(left, y(v)); c.lineTo(right, y(v)); c.stroke();
      c.fillText(String(v), 2, y(v) + 3);
    }
    const seconds = this.windowMs / 1000;
    for (let s = 0; s <= seconds; s += 2) {
      const label = s === seconds ? 'now' : `-${seconds - s}s`;
      c.fillText(label, Math.min(x(nowMs - this.windowMs + s * 1000) - 8, right - c.measureText(label).width), h - 2);
    }
    const joints = this.samples[this.samples.length - 1].joints.length;
    c.lineWidth = 1.5;
    for (let j = 0; j < joints; ++j) {
      c.strokeStyle = kColours[j % kColours.length];
      c.beginPath();
      this.samples.forEach((s, i) => (i ? c.lineTo : c.moveTo).call(c, x(s.t), y(s.joints[j])));
      c.stroke();
    }
  }
}

export function jointColour(index) { return kColours[index % kColours.length]; }
