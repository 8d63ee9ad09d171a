:let who world:for i ##N## 01 03 1:echo "pass ##N## of $who$"
:next i
quit