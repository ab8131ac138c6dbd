// The two designs the suite serves: the sample project 记账 of every fresh catalogue, and
// 器材库, written by site_design, which has every input widget and field type, a cascade,
// a drop-down of a numeric field, a login table of its own and a table without fields.
export const SAMPLE = {
  project: '记账',
  login: { table: '用户', user: 'vokra', password: 'vokra' },
  // As the default catalogue has them (written by the program, not by site_design).
  tables: [
    { name: '用户', fields: [['帐号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框'], ['姓名', '文本', '', '文本框']] },
    { name: '收支', fields: [['一级分类', '文本', '', '文本框']] },
    { name: '消费类型', fields: [['类型名称', '文本', '', '文本框'], ['排序', '整型', '', '文本框'], ['收支类型', '文本', '', '组合框', '收支', '一级分类']] },
    {
      name: '流水帐',
      fields: [
        ['收支', '文本', '', '组合框', '收支', '一级分类'],
        ['消费类型', '文本', '', '组合框', '消费类型', '类型名称'],
        ['名称', '文本', '', '文本框'],
        ['金额', '单精度', '', '文本框'],
        ['日期', '日期时间', '', '文本框'],
      ],
    },
  ],
};

// field: [name, type, description, input type, ...links by name] (see design_writer.cpp)
export const RICH = {
  project: '器材库',
  login: { table: '管理员', user: 'vokra', password: 'vokra' },
  tables: [
    { name: '管理员', fields: [['账号', '文本', 'username', '文本框'], ['密码', '文本', 'password', '文本框'], ['姓名', '文本', '', '文本框']] },
    { name: '大类', fields: [['大类名称', '文本', '', '文本框']] },
    { name: '小类', fields: [['小类名称', '文本', '', '文本框'], ['所属大类', '文本', '', '组合框', '大类', '大类名称']] },
    {
      name: '器材',
      fields: [
        ['名称', '文本', '', '文本框'],
        ['大类', '文本', '', '组合框', '大类', '大类名称', '小类', '小类名称', '所属大类', '小类'],
        ['小类', '文本', '', '组合框', '小类', '小类名称'],
        ['数量', '长整型', '', '文本框'],
        ['库位', '整型', '', '文本框'],
        ['单价', '双精度', '', '文本框'],
        ['重量', '单精度', '', '文本框'],
        ['等级', '字节型', '', '文本框'],
        ['金额', '小数', '', '文本框'],
        ['说明', '备注', '', '文本域'],
        ['购入', '日期时间', '', '时间框'],
        ['在用', '逻辑', '', '文本框'],
        ['主类', '长整型', '', '组合框', '大类', '大类名称'],
      ],
    },
    { name: '空表', fields: [] },
  ],
};

/** The design as site_design reads it. */
export function designText(design) {
  const lines = [`project\t${design.project}`];
  for (const table of design.tables) {
    lines.push(`table\t${table.name}`);
    for (const field of table.fields) lines.push(['field', ...field].join('\t'));
  }
  return lines.join('\n') + '\n';
}
