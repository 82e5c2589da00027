// Reads an ONVIF device's settings with the `onvif` package from the npm
// registry, an independent client: node onvif_readback.js HOST PORT USER
// PASSWORD prints one JSON object (device information, network interface,
// gateway, DNS, protocols, NTP, clock), or {"error": ...} when the login
// fails. Run inside the lab's "pc" namespace.
'use strict';
const onvif = require('onvif');

const [host, port, username, password] = process.argv.slice(2);

function call(cam, method) {
    return new Promise(resolve => cam[method]((err, data, xml) => resolve(err ? {error: String(err)} : {data, xml})));
}

(async () => {
    const cam = new onvif.Cam({hostname: host, port: Number(port), username, password, autoconnect: false,
                               timeout: 5000});
    const connected = await new Promise(resolve => cam.connect(err => resolve(err)));
    if (connected) {
        console.log(JSON.stringify({error: String(connected)}));
        return;
    }
    const out = {};
    for (const [key, method] of [['info', 'getDeviceInformation'], ['nics', 'getNetworkInterfaces'],
                                 ['gateway', 'getNetworkDefaultGateway'], ['dns', 'getDNS'],
                                 ['protocols', 'getNetworkProtocols'], ['ntp', 'getNTP'],
                                 ['time', 'getSystemDateAndTime']]) {
        const answer = await call(cam, method);
        out[key] = answer.error ? answer : answer.data;
        if (key === 'time' && !answer.error) {
            // The package gives the clock only: the setting's kind and zone from the answer.
            const field = name => (answer.xml.match(new RegExp(name + '>([^<]*)<')) || [])[1];
            out[key] = {type: field('DateTimeType'), tz: field('TZ')};
        }
    }
    console.log(JSON.stringify(out));
})();
