// The page's one way to the network, for online play: a WebSocket to the
// lobby that served the page (/lobby), carrying the lobby's own datagrams.
// Between two pages the game's datagrams then move to a WebRTC data channel
// (unordered, never resent) set up through the lobby's relay: the game keeps
// wrapping them for the relay, and this layer sends the payload over the
// channel instead once it is open, and hands what the channel brings back
// as the relay would. Where no channel forms (a desktop program on the other
// side, a network between), the relay carries the game as before.
"use strict";

(function (M) {
  const page = M.page;
  // The lobby's datagrams: "MVL", version, kind; a relayed one going up
  // carries the room's code (10) and the seat's token (8) before its payload.
  const RelayUp = 5, RelayDown = 20, UpHeader = 23;
  // Signalling between two pages rides the relay, marked apart from the
  // game's own datagrams (which a desktop program on the other side drops).
  const SignalMark = [0x4d, 0x56, 0x52, 0x54];  // "MVRT"
  const SignalPiece = 900;
  const HelloEveryMs = 500, HellosAtMost = 20;

  const isLobby = (b) => b.length >= 5 && b[0] === 0x4d && b[1] === 0x56 && b[2] === 0x4c;
  const marked = (b, at) => SignalMark.every((m, i) => b[at + i] === m);

  function makeNet() {
    const net = { queue: [], pending: [], state: "opening", socket: null, room: null,
                  version: 1, channel: null, peer: null, hellos: 0, lastHello: 0,
                  mine: Math.random(), pieces: {}, path: "relay" };
    page.online = { ...(page.online || {}), path: "relay" };

    function toLobby(bytes) {
      if (net.state === "open") net.socket.send(bytes);
      else if (net.state === "opening" && net.pending.length < 64) net.pending.push(bytes);
    }

    // A signal, in pieces that each fit one relayed datagram.
    function signal(message) {
      if (!net.room) return;
      const text = new TextEncoder().encode(JSON.stringify(message));
      const count = Math.ceil(text.length / SignalPiece);
      const id = Math.floor(Math.random() * 65536);
      for (let i = 0; i < count; ++i) {
        const piece = text.subarray(i * SignalPiece, (i + 1) * SignalPiece);
        const bytes = new Uint8Array(UpHeader + 8 + piece.length);
        bytes.set([0x4d, 0x56, 0x4c, net.version, RelayUp]);
        bytes.set(net.room, 5);
        bytes.set(SignalMark, UpHeader);
        bytes.set([id >> 8, id & 255, i, count], UpHeader + 4);
        bytes.set(piece, UpHeader + 8);
        toLobby(bytes);
      }
    }

    function takeSignalPiece(b, at) {
      const id = (b[at + 4] << 8) | b[at + 5], index = b[at + 6], count = b[at + 7];
      const parts = (net.pieces[id] = net.pieces[id] || []);
      parts[index] = b.slice(at + 8);
      if (parts.filter(Boolean).length !== count) return;
      delete net.pieces[id];
      const whole = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
      parts.reduce((n, p) => (whole.set(p, n), n + p.length), 0);
      try {
        takeSignal(JSON.parse(new TextDecoder().decode(whole)));
      } catch (error) {
        // A garbled signal is dropped: the relay goes on carrying the game.
      }
    }

    function useChannel(channel) {
      channel.binaryType = "arraybuffer";
      channel.onopen = () => {
        net.channel = channel;
        net.path = page.online.path = "direct";
      };
      channel.onclose = () => {
        net.channel = null;
        net.path = page.online.path = "relay";
      };
      channel.onmessage = (event) => {
        if (typeof event.data === "string" || net.queue.length >= 4096) return;
        const payload = new Uint8Array(event.data);
        const bytes = new Uint8Array(5 + payload.length);
        bytes.set([0x4d, 0x56, 0x4c, net.version, RelayDown]);
        bytes.set(payload, 5);
        net.queue.push(bytes);
      };
    }

    function connection() {
      // No servers to ask: only the addresses this machine has, as for
      // players on one network; the relay serves the rest.
      const peer = new RTCPeerConnection({ iceServers: [] });
      peer.onconnectionstatechange = () => {
        if (peer.connectionState === "failed") peer.close();
      };
      net.peer = peer;
      return peer;
    }

    // The whole description once its candidates are gathered (or after a
    // second): one signal instead of one per candidate.
    function gathered(peer) {
      return new Promise((resolve) => {
        if (peer.iceGatheringState === "complete") return resolve();
        peer.onicegatheringstatechange = () => {
          if (peer.iceGatheringState === "complete") resolve();
        };
        setTimeout(resolve, 1000);
      }).then(() => peer.localDescription);
    }

    async function offer() {
      const peer = connection();
      useChannel(peer.createDataChannel("game", { ordered: false, maxRetransmits: 0 }));
      await peer.setLocalDescription(await peer.createOffer());
      signal({ t: "offer", sdp: (await gathered(peer)).sdp });
    }

    async function answer(sdp) {
      const peer = connection();
      peer.ondatachannel = (event) => useChannel(event.channel);
      await peer.setRemoteDescription({ type: "offer", sdp });
      await peer.setLocalDescription(await peer.createAnswer());
      signal({ t: "answer", sdp: (await gathered(peer)).sdp });
    }

    // The page whose number is higher offers; the other answers.
    function takeSignal(message) {
      if (typeof RTCPeerConnection === "undefined") return;
      if (message.t === "hello" && !net.peer) {
        signal({ t: "hello", n: net.mine });
        if (net.mine > Number(message.n)) offer().catch(() => {});
      } else if (message.t === "offer" && !net.peer && typeof message.sdp === "string") {
        answer(message.sdp).catch(() => {});
      } else if (message.t === "answer" && net.peer && typeof message.sdp === "string") {
        net.peer.setRemoteDescription({ type: "answer", sdp: message.sdp }).catch(() => {});
      }
    }

    function sayHello() {
      const now = performance.now();
      if (net.peer || net.hellos >= HellosAtMost || now - net.lastHello < HelloEveryMs) return;
      net.hellos += 1;
      net.lastHello = now;
      signal({ t: "hello", n: net.mine });
    }

    net.open = () => {
      const scheme = location.protocol === "https:" ? "wss://" : "ws://";
      try {
        net.socket = new WebSocket(scheme + location.host + "/lobby");
      } catch (error) {
        return false;
      }
      net.socket.binaryType = "arraybuffer";
      net.socket.onopen = () => {
        net.state = "open";
        net.pending.forEach((bytes) => net.socket.send(bytes));
        net.pending = [];
      };
      net.socket.onmessage = (event) => {
        if (typeof event.data === "string") return;
        const bytes = new Uint8Array(event.data);
        if (isLobby(bytes) && bytes[4] === RelayDown && marked(bytes, 5))
          return takeSignalPiece(bytes, 5);
        // At most a few seconds of play wait unread; a page that stopped
        // reading loses the oldest, as a full socket buffer would.
        if (net.queue.length < 4096) net.queue.push(bytes);
      };
      net.socket.onclose = () => (net.state = "closed");
      return true;
    };

    // The game's datagram for the lobby; false once the connection closed.
    net.send = (bytes) => {
      if (net.state === "closed") return false;
      if (isLobby(bytes) && bytes[4] === RelayUp && bytes.length > UpHeader) {
        net.room = bytes.slice(5, UpHeader);
        net.version = bytes[3];
        if (net.channel && net.channel.readyState === "open") {
          net.channel.send(bytes.subarray(UpHeader));
          page.online.sentDirect = (page.online.sentDirect || 0) + 1;
          return true;
        }
        page.online.sentRelayed = (page.online.sentRelayed || 0) + 1;
        sayHello();
      }
      toLobby(bytes);
      return true;
    };

    net.next = () => net.queue.shift() || null;
    net.close = () => {
      if (net.channel) net.channel.close();
      if (net.peer) net.peer.close();
      if (net.socket) net.socket.close();
      net.state = "closed";
    };
    return net;
  }

  M.netHooks = {
    // A fresh connection to the lobby, null when the browser has none.
    openNet: () => {
      if (typeof WebSocket === "undefined") return null;
      const net = makeNet();
      return net.open() ? net : null;
    },
  };
})(window.Morvask);
