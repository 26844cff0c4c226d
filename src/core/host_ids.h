#pragma once

// The hosts a plug-in tells apart, as HostId () names them from the host's product name.
// 2, 6, 10, 11 and 19 name none.
enum HostIdentity : int {
    kHostNotIdentified = -1, // not yet asked
    kHostUnknown = 0,        // no product name, or one not listed
    kHostReaper = 1,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruityLoops = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVstManLib = 13,
    kHostAulab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSawStudio = 20,
    kHostLogic = 21,
    kHostDigitalPerformer = 22,
    kHostAudioMulch = 23,
    kHostPresonus = 24,
    kHostAcoustica = 25,
    kHostGarageBand = 26,
    kHostArdour = 27,
};
