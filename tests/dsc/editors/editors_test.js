// The shipped schemas as editors and validators use them, offline (every web address refused,
// as on a machine without Internet access):
// - VS Code's JSON language service (vscode-json-languageservice, set up as VS Code's JSON
//   extension sets it up: relative paths resolved against the document, files read from disk):
//   a baseline pointing at a copy of quarnlogcfg.schema.json with a relative "$schema", and one
//   matched by a json.schemas setting (fileMatch), checked with messages that name the valid
//   words; completion offers the words and the default day count; a Windows path loads nothing.
// - The YAML language server (VS Code's YAML extension): the example DSC configuration document,
//   whose "# yaml-language-server: $schema=" comment names quarnlogcfg.dsc.config.schema.json,
//   checked in its resource's properties.
// - Ajv (draft 2020-12, strict): both schemas compile, and validate as the others do.
//   node editors_test.js BUILD_DIR ROOT_DIR MODULES_DIR
'use strict';
const fs = require('fs');
const path = require('path');

const [build, root, modules] = process.argv.slice(2).map((p) => path.resolve(p));
const need = (name) => require(path.join(modules, name));
const json = need('vscode-json-languageservice');
const { getLanguageService: getYamlService } =
    need('yaml-language-server/out/server/src/languageservice/yamlLanguageService.js');
const { TextDocument } = need('vscode-languageserver-textdocument');
const { URI, Utils } = need('vscode-uri');
const Ajv2020 = need('ajv/dist/2020').default;
const YAML = need('yaml');

let failures = 0;
function check(ok, what, detail) {
    if (!ok) {
        failures++;
        console.error('FAIL: ' + what + (detail === undefined ? '' : ': ' + JSON.stringify(detail, null, 1)));
    }
}

// An administrator's folder with copies of the shipped schemas beside the documents.
const work = path.join(build, 'dsc-editors', 'work');
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });
for (const file of ['quarnlogcfg.schema.json', 'quarnlogcfg.dsc.config.schema.json'])
    fs.copyFileSync(path.join(build, file), path.join(work, file));
const instanceSchema = JSON.parse(fs.readFileSync(path.join(build, 'quarnlogcfg.schema.json'), 'utf8'));
const configSchema = JSON.parse(fs.readFileSync(path.join(build, 'quarnlogcfg.dsc.config.schema.json'), 'utf8'));
const example = fs.readFileSync(path.join(root, 'docs', 'examples', 'quarn-baseline.dsc.yaml'), 'utf8');

// What both language servers are given to load schemas: files from disk, nothing from the web.
const requested = [];
function request(uri) {
    requested.push(uri);
    if (uri.startsWith('file:'))
        return Promise.resolve(fs.readFileSync(URI.parse(uri).fsPath, 'utf8'));
    return Promise.reject('offline: ' + uri);
}
const workspaceContext = {
    resolveRelativePath: (relativePath, resource) =>
        Utils.resolvePath(URI.parse(resource.substring(0, resource.lastIndexOf('/') + 1)), relativePath).toString(),
};

const LEVELS = ['Release', 'Debug', 'Trace', 'None'];
const TYPES = ['FatalError', 'Error', 'Warning', 'Information', 'None'];
// The message of a misspelt word names every valid word and quotes no regular expression.
const namesWords = (words) => (m) => m.includes('Valid values') && words.every((w) => m.includes('"' + w + '"'));
const quotesPattern = (m) => /\[[A-Z][a-z]\]/.test(m) || m.includes('pattern of "^(?:');

// Each expected message found once, and nothing else.
function expectMessages(what, messages, expected) {
    const left = [...messages];
    for (const [name, matches] of expected) {
        const i = left.findIndex(matches);
        check(i >= 0, what + ': no message for ' + name, messages);
        if (i >= 0) left.splice(i, 1);
    }
    check(left.length === 0, what + ': messages beyond those expected', left);
    check(!messages.some(quotesPattern), what + ': a message quotes a regular expression', messages);
}

const goodBaseline = {
    expireLogsAfter: 14,
    default: { level: 'Release', type: 'warning' },
    subsystems: [
        { name: 'Network', level: 'TRACE', type: 'Default', effectiveLevel: 'Trace', effectiveType: 'Warning' },
        { name: ' Trail ', level: 'none', type: 'None' },
    ],
};
const badBaseline = {
    expireLogsAfter: 0,
    default: { level: 'Dbg', type: 'Default' },
    subsystems: [{ name: 'A\\B', level: 'Default', colour: 'red' }, { type: 'Errors' }],
};
const badMessages = [
    ['a day count of 0', (m) => /minimum of 1/.test(m)],
    ['a misspelt level', namesWords(LEVELS)],
    ['Default in the default settings', namesWords(TYPES)],
    ['a name with a backslash', (m) => /pattern/.test(m)],
    ['an unknown field', (m) => /colour/.test(m)],
    ['a subsystem without a name', (m) => /name/.test(m) && /[Mm]issing/.test(m)],
    ['a misspelt type', namesWords([...TYPES, 'Default'])],
];

async function vscodeJson() {
    const service = json.getLanguageService({ schemaRequestService: request, workspaceContext });
    const validate = async (file, value, settings) => {
        service.configure({ validate: true, allowComments: false, schemas: settings || [] });
        const text = JSON.stringify(value, null, 2);
        const document = TextDocument.create(URI.file(path.join(work, file)).toString(), 'json', 1, text);
        const diagnostics = await service.doValidation(document, service.parseJSONDocument(document),
                                                       { schemaValidation: 'error' });
        return diagnostics.map((d) => d.message);
    };
    // A relative "$schema", in the two ways an administrator writes it.
    for (const pointer of ['./quarnlogcfg.schema.json', 'quarnlogcfg.schema.json']) {
        expectMessages('VS Code, $schema ' + pointer + ', a sound baseline',
                       await validate('sound.json', { $schema: pointer, ...goodBaseline }), []);
        expectMessages('VS Code, $schema ' + pointer,
                       await validate('baseline.json', { $schema: pointer, ...badBaseline }), badMessages);
        expectMessages('VS Code, $schema ' + pointer + ', 400 days',
                       await validate('days.json', { $schema: pointer, expireLogsAfter: 400 }),
                       [['400 days', (m) => /maximum of 365/.test(m)]]);
    }
    // A json.schemas setting: the installed schema for every *.quarn.json, wherever it lies.
    const installed = [{ uri: URI.file(path.join(build, 'quarnlogcfg.schema.json')).toString(),
                         fileMatch: ['*.quarn.json'] }];
    expectMessages('VS Code, json.schemas', await validate('elsewhere/site.quarn.json', badBaseline, installed),
                   badMessages);
    // A Windows path is taken for an address of the scheme "C": nothing is loaded or checked.
    const windowsPath = await validate('windows.json', {
        $schema: 'C:\\Program Files (x86)\\Brivantex\\Quarns\\quarnlogcfg.schema.json', ...badBaseline });
    check(windowsPath.length === 1 && /Unable to load schema/.test(windowsPath[0]),
          'VS Code with a Windows path in $schema', windowsPath);

    // Completion: the words of a level, and the default day count.
    service.configure({ validate: true, schemas: installed });
    const complete = async (text) => {
        const offset = text.indexOf('|');
        const document = TextDocument.create('file:///elsewhere/c.quarn.json', 'json', 1, text.replace('|', ''));
        const list = await service.doComplete(document, document.positionAt(offset), service.parseJSONDocument(document));
        return list.items.map((item) => item.label);
    };
    const levels = await complete('{"subsystems": [{"name": "A", "level": |}]}');
    check([...LEVELS, 'Default'].every((w) => levels.includes('"' + w + '"')), 'VS Code completes no level words', levels);
    const days = await complete('{"expireLogsAfter": |}');
    check(days.includes(String(instanceSchema.properties.expireLogsAfter.default)), 'VS Code offers no day count', days);
}

async function yamlServer() {
    const service = getYamlService({ schemaRequestService: request, workspaceContext, clientCapabilities: {} });
    service.configure({ validate: true, completion: true, hover: true, yamlVersion: '1.2' });
    const validate = async (file, text) => {
        fs.writeFileSync(path.join(work, file), text);
        const document = TextDocument.create(URI.file(path.join(work, file)).toString(), 'yaml', 1, text);
        return (await service.doValidation(document, false)).map((d) => d.message);
    };
    check(/^# yaml-language-server: \$schema=quarnlogcfg\.dsc\.config\.schema\.json$/m.test(example),
          'the example names no schema for the YAML server');
    expectMessages('YAML server, the example', await validate('quarn-baseline.dsc.yaml', example), []);
    const misspelt = example
        .replace(/expireLogsAfter: \d+/, 'expireLogsAfter: 400')
        .replace(/(default:\n\s+level:) \w+/, '$1 Dbg')
        .replace('type: Brivantex.Quarns/EventLogging', 'type: brivantex.quarns/eventlogging')
        .replace(/(- name: Reports\n)/, '$1          colour: red\n') +
        '  - name: another resource\n    type: Microsoft.Windows/Registry\n    properties:\n      keyPath: HKLM\\X\n';
    expectMessages('YAML server, a misspelt document', await validate('misspelt.dsc.yaml', misspelt), [
        ['400 days', (m) => /maximum of 365/.test(m)],
        ['a misspelt level', namesWords(LEVELS)],
        ['an unknown field', (m) => /colour/.test(m)],
    ]);
}

function ajv() {
    const compile = (schema, what) => {
        try {
            return new Ajv2020({ strict: true, allErrors: true }).compile(schema);
        } catch (e) {
            check(false, 'Ajv (strict) cannot compile ' + what, e.message);
            return null;
        }
    };
    const instances = compile(instanceSchema, 'the schema');
    const configurations = compile(configSchema, 'the DSC configuration schema');
    if (!instances || !configurations) return;
    const document = YAML.parse(example);
    check(instances(goodBaseline) && instances(document.resources[0].properties), 'Ajv refuses sound baselines',
          instances.errors);
    check(configurations(document), 'Ajv refuses the example', configurations.errors);
    check(!instances(badBaseline), 'Ajv accepts a bad baseline');
    const named = (instances.errors || []).filter((e) => e.keyword === 'enum').map((e) => e.params.allowedValues);
    check(named.some((words) => LEVELS.every((w) => words.includes(w))), 'Ajv names no level words', instances.errors);
}

(async () => {
    await vscodeJson();
    await yamlServer();
    ajv();
    const fetched = requested.filter((uri) => !uri.startsWith('file:') && !/^c:/i.test(uri));
    check(fetched.length === 0, 'something was to be fetched from the web', fetched);
    if (failures) process.exit(1);
    console.log('Editor tests passed');
})().catch((e) => {
    console.error('FAIL: ' + (e && e.stack || e));
    process.exit(1);
});
