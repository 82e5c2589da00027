// The `onvif` package from the npm registry against the simulator's ONVIF
// devices (onvif.lab), run by npm_client_lab_test.sh inside the lab's "pc"
// namespace: discovery, then device information, network interfaces and
// users with WS-Security and with HTTP digest.
'use strict';
const onvif = require('onvif');

let failures = 0;
function check(ok, what) {
    if (!ok) {
        failures++;
        console.log('FAIL: ' + what);
    }
}

function call(cam, method) {
    return new Promise(resolve => cam[method]((err, data) => resolve({err, data})));
}

function discover() {
    return new Promise(resolve => {
        onvif.Discovery.removeAllListeners('error');
        onvif.Discovery.on('error', () => {});
        onvif.Discovery.probe({timeout: 1200, resolve: false}, (err, found) => resolve(found || []));
    });
}

async function login(hostname, port, username, password, useWSSecurity) {
    const cam = new onvif.Cam({hostname, port, username, password, useWSSecurity, autoconnect: false, timeout: 5000});
    const connected = await new Promise(resolve => cam.connect(err => resolve(err)));
    return {cam, error: connected};
}

async function readsEverything(what, hostname, port, user, password, useWSSecurity, expect) {
    const {cam, error} = await login(hostname, port, user, password, useWSSecurity);
    check(!error, what + ': connect (' + error + ')');
    const info = await call(cam, 'getDeviceInformation');
    check(!info.err && info.data.model === expect.model && info.data.serialNumber === expect.serial,
          what + ': device information ' + JSON.stringify(info.data || String(info.err)));
    const nics = await call(cam, 'getNetworkInterfaces');
    const nic = !nics.err && nics.data[0];
    check(nic && nic.info.hwAddress === expect.mac, what + ': network interfaces ' + JSON.stringify(nic));
    const users = await call(cam, 'getUsers');
    const names = users.err ? [] : users.data.map(u => u.username + ':' + u.userLevel).sort();
    check(JSON.stringify(names) === JSON.stringify(expect.users), what + ': users ' + JSON.stringify(names));
    check(!users.err && users.data.every(u => u.password === undefined), what + ': a password in GetUsers');
}

(async () => {
    const found = await discover();
    const addresses = found.map(m => m.probeMatches.probeMatch.endpointReference.address).sort();
    const expected = ['01', '02', '03', '04', '08'].map(n => 'urn:uuid:c0a7e000-0000-4000-8000-020E000000' + n);
    check(JSON.stringify(addresses) === JSON.stringify(expected), 'discovered ' + JSON.stringify(addresses));

    const lobby = {model: 'OC-100', serial: 'SN020E00000001', mac: '02:0e:00:00:00:01',
                   users: ['admin:Administrator', 'guard:Operator', 'viewer:User']};
    await readsEverything('lobby, WS-Security', '10.77.16.101', 80, 'admin', 'lobby-pass', true, lobby);
    await readsEverything('lobby, digest', '10.77.16.101', 80, 'admin', 'lobby-pass', false, lobby);
    await readsEverything('gate, digest only', '10.77.16.103', 8080, 'admin', 'gate-pass', false,
                          {model: 'OC-200', serial: 'SN020E00000003', mac: '02:0e:00:00:00:03',
                           users: ['admin:Administrator']});
    // Two hours ahead: the client's time shift from GetSystemDateAndTime
    // puts its token's creation time on the device's clock.
    await readsEverything('recorder, WS-Security only', '10.77.16.102', 80, 'admin', 'rec-pass', true,
                          {model: 'OR-16', serial: 'REC-0002', mac: '02:0e:00:00:00:02',
                           users: ['admin:Administrator']});

    // A user may read, not the users; a wrong password reads nothing.
    const viewer = await login('10.77.16.101', 80, 'viewer', 'viewer-pass', false);
    check(!(await call(viewer.cam, 'getDeviceInformation')).err, 'viewer reads the device information');
    check((await call(viewer.cam, 'getUsers')).err, 'viewer read the users');
    const wrong = await login('10.77.16.101', 80, 'admin', 'wrong', false);
    check((await call(wrong.cam, 'getDeviceInformation')).err, 'a wrong password was accepted');

    console.log(failures === 0 ? 'npm onvif client: all checks passed' : failures + ' failures');
    process.exit(failures === 0 ? 0 : 1);
})();
