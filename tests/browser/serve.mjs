// Serves a folder on 127.0.0.1 for the browser tests. A path is percent-decoded to its bytes,
// so names that are not UTF-8 are found too, and a file goes out with the type its extension
// gives.
import fs from "node:fs";
import http from "node:http";

const types = { html: "text/html", htm: "text/html", css: "text/css", js: "text/javascript" };

/// Starts serving `root`; resolves to { server, origin } ("http://127.0.0.1:PORT/").
export async function serve(root) {
  const server = http.createServer((request, response) => {
    const bytes = unescape(new URL(request.url, "http://x").pathname);
    const file = Buffer.concat([Buffer.from(root), Buffer.from(bytes, "latin1")]);
    fs.readFile(file, (error, data) => {
      const type = types[/\.(\w+)$/.exec(bytes)?.[1].toLowerCase()] ?? "image/jpeg";
      // LinkChecker: lets linkchecker send more than ten requests a second.
      response.writeHead(error ? 404 : 200, { "Content-Type": type, LinkChecker: "allowed" });
      response.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { server, origin: `http://127.0.0.1:${server.address().port}/` };
}
