// What the browser tests and benchmarks count in two pictures (PNG files, compared over the size
// both have from their top left corner): pixels more than 24 levels off in some channel.
'use strict';
const {execFileSync} = require('node:child_process');

const run = (program, args) => execFileSync(program, args, {encoding: 'utf8'}).trim();

function sizeOf(file) {
    const [width, height] = run('/usr/bin/identify', ['-format', '%w %h', file]).split(' ').map(Number);
    return {width, height};
}

// Returns {off, pixels, sizes}: off of the pixels compared, and each picture's "W x H".
function pixelsOff(a, b) {
    const [sa, sb] = [sizeOf(a), sizeOf(b)];
    const width = Math.min(sa.width, sb.width), height = Math.min(sa.height, sb.height);
    const crop = `${width}x${height}+0+0`;
    // 9.6 % of the range lies between 24 and 25 levels of 255.
    const off = run('/usr/bin/convert', [a, b, '-alpha', 'off', '-crop', crop, '+repage', '-compose', 'difference',
                                         '-composite', '-separate', '-evaluate-sequence', 'max', '-threshold', '9.6%',
                                         '-format', '%[fx:round(mean*w*h)]', 'info:']);
    return {off: Number(off), pixels: width * height, sizes: [sa, sb].map((s) => `${s.width} x ${s.height}`)};
}

module.exports = {pixelsOff};
